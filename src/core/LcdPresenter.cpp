#include "core/LcdPresenter.h"

namespace vireo {

namespace {

using M = LcdMember;

// The unit annunciators of a function; prefixes and points come with the reading.
void showUnit(LcdVisibility &v, const MeterReading &r, const DecoderQuirks &q)
{
    auto show = [&v](M m) { v.set(index(m)); };
    switch (r.function) {
    case 0xB:
        show(M::LcdV);
        break;
    case 0xD:
    case 0xF:
    case 0x9:
        show(M::LCDA);
        break;
    case 0x3:
        show(M::LCDohm);
        break;
    case 0x2:
        show(M::LCDHz);
        break;
    case 0x4:
        show(r.celsius ? M::LCDCS : M::LCDFS);
        break;
    case 0x5:
        show(M::LCDFm);
        if (q.continuityInOhm || q.threeDigitDiodeAndContinuity)
            show(M::LCDohm);
        break;
    case 0x1:
        show(M::LCDDI);
        show(M::LcdV);
        break;
    case 0x6:
        show(M::LCDF);
        break;
    case 0xE:
        show(M::lcdhFE);
        show(M::LCDBT);
        break;
    default:
        break;
    }
}

M prefixMember(char prefix)
{
    switch (prefix) {
    case 'k':
        return M::LCDk;
    case 'M':
        return M::LCDM1;
    case 'm':
        return M::Lcdm;
    case 'u':
        return M::LCDu;
    default:
        return M::LCDn;
    }
}

} // namespace

LcdPresentation presentReading(const MeterReading &r, const DecoderQuirks &q,
                               const CountClass &counts)
{
    LcdPresentation out;
    LcdVisibility &v = out.visible;
    auto show = [&v](M m, bool on) { v.set(index(m), on); };

    show(M::LcdFH, r.negative);
    show(M::LCDBATT, r.battery);
    if (r.ac) {
        if (q.trueRmsAcMarks) {
            show(M::LcdACDC, true);
            show(M::LCDTRMST, true);
            show(M::LCDTRMS, true);
        } else {
            show(M::LcdAC, true);
        }
    }
    show(M::LcdDc1, r.dc);
    show(M::LcdAuto, r.autoRange);
    show(M::lcdManual, !r.autoRange);
    const bool serialMarks = !q.noSerialMarks && r.rs232;
    show(M::LCDRS, serialMarks);
    show(M::LCD232C, serialMarks);
    showUnit(v, r, q);
    show(M::LCDHold, r.hold);
    show(M::lcdMax, r.max);
    show(M::lcdMin, r.min);
    show(M::LcdP1, r.point == 1);
    show(M::LcdP2, r.point == 2);
    show(M::LcdP3, r.point == 3);
    if (r.prefix != 0)
        show(prefixMember(r.prefix), true);

    // The overload form "0L" takes the middle digits; "@" is the L of the digit font.
    auto [d1, d2, d3, d4] = r.digits;
    if (r.overload) {
        d2 = '0';
        d3 = '@';
    }
    bool a = true, b = true, c = true, d = true;
    // Leading-zero blanking; the value text keeps the zeros.
    if (r.point == 0) {
        if (d1 == '0' && d2 == '0' && d3 == '0')
            a = b = c = false;
        else if (d1 == '0' && d2 == '0')
            a = b = false;
        else if (d1 == '0')
            a = false;
    }
    if (r.point == 2 && d1 == '0')
        a = false;
    if (r.point == 3 && d1 == '0') {
        a = false;
        if (d2 == '0')
            b = false;
    }
    if (r.function == 0x5) {
        d = false;
        c = true;
    }
    if (r.function == 0x1)
        d = false;
    if (r.overload)
        a = d = false;
    show(M::LcdDa, a);
    show(M::LcdDb, b);
    show(M::LcdDc, c);
    show(M::LcdDd, d);

    out.digits = {d1, d2, d3, r.fourthDigit ? d4 : '\0'};

    if (r.overload) {
        out.bar = r.function == 0x1 ? 25 : counts.BarMidPos;
    } else {
        const std::int32_t n = (d1 - '0') * 10 + (d2 - '0');
        out.bar = n >= 2 ? n : 1;
    }
    return out;
}

} // namespace vireo
