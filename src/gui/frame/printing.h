// Printing and print preview of a document or its selection. The page arithmetic and the rows
// are the core's (view/print_layout.h); this file measures the printer and its font, paints the
// pages with QPainter and runs the page loop, polling Escape (and the progress dialog's Cancel)
// between pages. The job lays the text out on its own copy of the layout, so the views are never
// touched: a finished, cancelled or failed job leaves every wrap column and layout as it was.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/config/settings.h"
#include "document/line_record.h"
#include "view/print_layout.h"
#include "view/print_template.h"

class QPrinter;
class QWidget;

namespace norv::qt {

class MainFrame;
class DocWindow;

struct PrintOutcome {
    int pages = 0;           // pages painted
    bool cancelled = false;  // stopped by Escape or Cancel
};

// One job: the text (the document, or a copy of its selection), the settings read when it was
// made, and the printer's measures taken when it runs.
class PrintJob {
  public:
    PrintJob(DocWindow& w, const app::Settings& settings);
    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    // Paints the pages of the printer's range (all when none) on `printer`, asking `cancel`
    // between pages (true stops the job).
    PrintOutcome Run(QPrinter& printer, const std::function<bool(int page)>& cancel = {});
    // The pages the text takes on `printer`.
    int PageCount(QPrinter& printer);

    // Called before each page is polled for Escape (tests press keys here).
    std::function<void(int page)> beforePage;

  private:
    struct Text;
    struct Device;
    Device Measure(QPrinter& printer) const;
    void Layout(const Device& device);

    const app::Settings& settings_;
    view::PrintSettings print_;
    view::PrintTemplateFields fields_;
    view::LayoutOptions viewLayout_;
    bool typeNoWrap_ = false;
    std::unique_ptr<Text> text_;
    std::unique_ptr<view::PrintRowBuilder> builder_;
    // Where each printed row begins: the line (index into the text) and the byte offset.
    struct RowRef {
        uint32_t line;
        uint32_t offset;
    };
    std::vector<RowRef> rows_;
};

// A PDF file of A4 portrait pages at 1200 dots per inch, margins measured from the paper's edges.
void SetUpPdfPrinter(QPrinter& printer, const QString& file);

// The job on `printer` with the wait cursor, the page number in the status bar and a progress
// dialog (when `progressParent` is given); Escape or Cancel stops it between pages, and a
// cancelled PDF file is removed.
PrintOutcome RunPrintJob(MainFrame& frame, PrintJob& job, QPrinter& printer,
                         QWidget* progressParent);

// The Print command: the print dialog (page range, copies, a PDF file among the printers),
// then the job with its page number in the status bar. In headless runs the PDF named by
// NORV_PRINT_PDF is written (A4 portrait, 1200 dots per inch), nothing without it.
void PrintDocument(MainFrame& frame, DocWindow& w);
// The PrintPreview command: the preview window showing the pages the job would print.
void PreviewDocument(MainFrame& frame, DocWindow& w);

}  // namespace norv::qt
