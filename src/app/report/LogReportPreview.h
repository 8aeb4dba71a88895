#pragma once

class QWidget;

namespace vireo {

class LogTable;

// The modal print preview of the log ("Print Preview"), with zoom, page navigation, page
// set-up and printing. Only one is open at a time.
class LogReportPreview {
public:
    bool previewOpen() const { return m_open; }

    // Shows the preview of the table's current rows and returns when it has been closed;
    // the event loop keeps running meanwhile. While a preview is open it returns false at
    // once and shows nothing.
    bool exec(const LogTable &table, QWidget *parent);

private:
    bool m_open = false;
};

} // namespace vireo
