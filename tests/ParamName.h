// Names for the cases of parameterised suites, built from the case's own texts. Left to itself
// the test framework names a case by its index and prints its bytes after it, which makes test
// lists unreadable and changes with every build.
#pragma once

#include <cctype>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vireo::test {

// Joins the parts with '_'. A test name holds only letters, digits and '_', so the characters
// our number texts use are spelt out: '-' as "m", '+' as "pl", '.' as "p", ',' as "c", a blank
// as "s"; anything else becomes "x", and an empty part "none".
inline std::string paramName(std::initializer_list<std::string_view> parts)
{
    std::string name;
    for (const std::string_view part : parts) {
        if (!name.empty())
            name += '_';
        if (part.empty())
            name += "none";
        for (const char ch : part) {
            const auto c = static_cast<unsigned char>(ch);
            if (c < 0x80 && std::isalnum(c))
                name += ch;
            else if (ch == '-')
                name += 'm';
            else if (ch == '+')
                name += "pl";
            else if (ch == '.')
                name += 'p';
            else if (ch == ',')
                name += 'c';
            else if (ch == ' ')
                name += 's';
            else
                name += 'x';
        }
    }
    return name;
}

} // namespace vireo::test
