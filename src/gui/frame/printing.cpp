#include "gui/frame/printing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "app/config/view_settings.h"
#include "gui/editor/text_bridge.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "platform/code_page.h"

namespace norv::qt {

using app::Key;

// ---- the text ------------------------------------------------------------------------------

struct PrintJob::Text {
    std::vector<const document::LineRecord*> records;  // the document's lines
    std::vector<std::string> copy;                     // or the selection's, each with "\n"

    size_t size() const { return records.empty() ? copy.size() : records.size(); }
    view::LineText At(size_t i) const {
        return records.empty() ? view::LineText(copy[i]) : view::LineText(records[i]);
    }
    bool Bold(size_t i) const {
        return !records.empty() && (records[i]->flags & document::LF_MARK) != 0;
    }
};

namespace {

// The selected text as lines: a stream's lines end in CR LF, a box's pieces in CR.
std::vector<std::string> SelectionLines(const std::string& block, bool box) {
    std::vector<std::string> lines;
    const std::string_view separator = box ? "\r" : "\r\n";
    size_t start = 0;
    for (;;) {
        size_t end = block.find(separator, start);
        std::string line = block.substr(start, end == std::string::npos ? end : end - start);
        line.push_back('\n');
        lines.push_back(std::move(line));
        if (end == std::string::npos) break;
        start = end + separator.size();
    }
    // A stream ending with its line end leaves no empty line after it.
    if (lines.size() > 1 && lines.back() == "\n") lines.pop_back();
    return lines;
}

std::string ToUtf8FromSystem(const std::string& bytes) {
    std::string out;
    platform::AppendMultiByteAsUtf8(platform::SystemCodePage(), bytes, out);
    return out;
}

double ScreenDpi() {
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        double dpi = s->logicalDotsPerInchY();
        if (dpi > 0) return dpi;
    }
    return 96.0;
}

bool IsHeadless() {
    return qApp && qApp->property("norvHeadless").toBool();
}

// Escape, and the progress dialog's Cancel, between pages: pending events are let through
// (painting, the dialog) while other input is dropped, so nothing edits or closes the document
// under the job.
class PagePoller : public QObject {
  public:
    explicit PagePoller(QWidget* allowed) : allowed_(allowed) {}
    bool Poll() {
        qApp->installEventFilter(this);
        QApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
        qApp->removeEventFilter(this);
        bool pressed = pressed_;
        pressed_ = false;
        return pressed;
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
                if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) pressed_ = true;
                return true;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove: {
                auto* w = qobject_cast<QWidget*>(watched);
                return !(allowed_ && w && (w == allowed_ || allowed_->isAncestorOf(w)));
            }
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::InputMethod:
            case QEvent::Wheel:
            case QEvent::Close:
            case QEvent::Drop:
            case QEvent::Timer:
                return true;
            default:
                return false;
        }
    }

  private:
    QWidget* allowed_;
    bool pressed_ = false;
};

}  // namespace

// ---- the device ----------------------------------------------------------------------------

struct PrintJob::Device {
    view::PrintDevice measures;
    view::PageGeometry geometry;
    QFont font;
    QFont bold;
    qreal cell = 1;
    qreal ascent = 0;
};

PrintJob::PrintJob(DocWindow& w, const app::Settings& settings)
    : settings_(settings), text_(std::make_unique<Text>()) {
    print_.header = ToUtf8FromSystem(settings.Text(Key::Header));
    print_.footer = ToUtf8FromSystem(settings.Text(Key::Footer));
    print_.headAlign = settings.Int(Key::HeadAlign);
    print_.footAlign = settings.Int(Key::FootAlign);
    print_.packPrint = settings.Flag(Key::PackPrint);
    print_.printLine = settings.Flag(Key::PrintLine);
    print_.top = settings.Int(Key::PrintTop);
    print_.bottom = settings.Int(Key::PrintBottom);
    print_.left = settings.Int(Key::PrintLeft);
    print_.right = settings.Int(Key::PrintRight);
    print_.spacing = std::max(0, settings.Int(Key::PrintSpacing));

    document::CElwDoc& doc = w.doc();
    fields_.path = doc.path;
    fields_.title = doc.title;
    std::time_t now = std::time(nullptr);
    localtime_r(&now, &fields_.time);
    fields_.japaneseDates = platform::SystemCodePage() == 932;

    viewLayout_ = w.view().layout().options();
    typeNoWrap_ = app::EditOptionsFor(doc, settings).noWrap;

    editing::Selection& selection = w.selection();
    if (selection.active()) {
        text_->copy =
            SelectionLines(selection.Block(), selection.kind() == editing::SelectionKind::kBox);
    } else {
        for (const document::LineRecord* r = doc.lines().first(); r; r = r->next)
            text_->records.push_back(r);
    }
}

PrintJob::~PrintJob() = default;

PrintJob::Device PrintJob::Measure(QPrinter& printer) const {
    Device d;
    const double scale = printer.logicalDpiY() / ScreenDpi();
    const QString name = BytesToQString(platform::SystemCodePage(), settings_.Text(Key::PrintFont));
    d.font = ChooseEditorFont(name, 10);
    const int height = std::max(1, settings_.Int(Key::PrintFontHeight));
    d.font.setPixelSize(std::max(1, static_cast<int>(std::lround(height * scale))));
    d.bold = d.font;
    d.bold.setWeight(QFont::Bold);
    QFontMetricsF m(d.font, &printer);
    d.cell = std::max<qreal>(1, m.horizontalAdvance(QLatin1Char('M')));
    d.ascent = m.ascent();

    d.measures.pageWidth = printer.width();
    d.measures.pageHeight = printer.height();
    d.measures.widthMm = printer.widthMM();
    d.measures.heightMm = printer.heightMM();
    d.measures.fontHeight = static_cast<int>(std::ceil(m.height()));
    d.measures.averageWidth = static_cast<int>(std::lround(d.cell));
    d.measures.proportional = !QFontInfo(d.font).fixedPitch();
    d.measures.resolutionScale = scale;
    d.geometry = view::ComputePageGeometry(print_, d.measures);
    return d;
}

void PrintJob::Layout(const Device& d) {
    view::LayoutOptions options = viewLayout_;
    options.wrapColumn =
        view::PrintWrapColumn(d.geometry.columns, viewLayout_.wrapColumn, typeNoWrap_);
    builder_ = std::make_unique<view::PrintRowBuilder>(options, d.geometry.columns);
    rows_.clear();
    std::vector<uint32_t> offsets;
    for (size_t i = 0; i < text_->size(); ++i) {
        offsets.clear();
        builder_->RowOffsets(text_->At(i), offsets);
        for (uint32_t off : offsets) rows_.push_back({static_cast<uint32_t>(i), off});
    }
}

int PrintJob::PageCount(QPrinter& printer) {
    Device d = Measure(printer);
    Layout(d);
    const size_t perPage = static_cast<size_t>(d.geometry.RowsPerPage());
    return std::max<int>(1, static_cast<int>((rows_.size() + perPage - 1) / perPage));
}

namespace {

// Draws a row's characters on the grid: runs whose natural advances match their cells go in
// one call (so a PDF keeps them as one text), any other character alone, centred in its cells.
class RowPainter {
  public:
    RowPainter(QPainter& p, const QFont& font, QPrinter& printer, qreal cell)
        : p_(p), font_(font), metrics_(font, &printer), cell_(cell) {}

    void Draw(const view::PrintRow& row, qreal left, qreal baseline) {
        p_.setFont(font_);
        QString run;
        qreal runX = 0;
        int nextColumn = -1;
        auto flush = [&] {
            if (!run.isEmpty()) p_.drawText(QPointF(runX, baseline), run);
            run.clear();
        };
        for (size_t i = 0; i < row.glyphs.size(); ++i) {
            const view::PrintGlyph& g = row.glyphs[i];
            const QString s = FromUtf8(row.GlyphText(i));
            const qreal want = g.cells * cell_;
            const qreal advance = Advance(s);
            if (std::abs(advance - want) >= 0.5) {
                flush();
                p_.drawText(QPointF(left + g.column * cell_ + (want - advance) / 2, baseline), s);
                nextColumn = -1;
                continue;
            }
            if (run.isEmpty() || g.column != nextColumn) {
                flush();
                runX = left + g.column * cell_;
            }
            run += s;
            nextColumn = g.column + g.cells;
        }
        flush();
    }

  private:
    qreal Advance(const QString& s) {
        auto it = advances_.find(s);
        if (it != advances_.end()) return *it;
        qreal a = metrics_.horizontalAdvance(s);
        advances_.insert(s, a);
        return a;
    }

    QPainter& p_;
    QFont font_;
    QFontMetricsF metrics_;
    qreal cell_;
    QHash<QString, qreal> advances_;
};

}  // namespace

PrintOutcome PrintJob::Run(QPrinter& printer, const std::function<bool(int)>& cancel) {
    PrintOutcome outcome;
    Device d = Measure(printer);
    Layout(d);
    const view::PageGeometry& g = d.geometry;
    const size_t perPage = static_cast<size_t>(g.RowsPerPage());
    const int total = std::max<int>(1, static_cast<int>((rows_.size() + perPage - 1) / perPage));
    int from = printer.fromPage() > 0 ? printer.fromPage() : 1;
    int to = printer.toPage() > 0 ? std::min(printer.toPage(), total) : total;
    if (from > to) return outcome;
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());

    QPainter p;
    if (!p.begin(&printer)) return outcome;
    RowPainter plain(p, d.font, printer, d.cell);
    RowPainter bold(p, d.bold, printer, d.cell);
    QFontMetricsF m(d.font, &printer);
    bool first = true;
    for (int copy = 0; copy < copies && !outcome.cancelled; ++copy) {
        for (int page = from; page <= to; ++page) {
            if (cancel && cancel(page)) {
                outcome.cancelled = true;
                break;
            }
            if (!first) printer.newPage();
            first = false;
            p.setFont(d.font);
            auto margin = [&](const std::string& tmpl, int align, int top) {
                if (tmpl.empty()) return;
                const QString s = FromUtf8(view::ExpandPrintTemplate(tmpl, fields_, page));
                const int width = static_cast<int>(std::ceil(m.horizontalAdvance(s)));
                const int x = view::AlignedLeft(g, d.measures.pageWidth, d.measures.averageWidth,
                                                align, width);
                p.drawText(QPointF(x, top + d.ascent), s);
            };
            margin(print_.header, print_.headAlign, g.headerTop);
            margin(print_.footer, print_.footAlign, g.footerTop);
            const size_t firstRow = static_cast<size_t>(page - 1) * perPage;
            for (int c = 0; c < g.textColumns; ++c) {
                for (int r = 0; r < g.rowsPerColumn; ++r) {
                    const size_t index = firstRow + static_cast<size_t>(c * g.rowsPerColumn + r);
                    if (index >= rows_.size()) break;
                    const RowRef ref = rows_[index];
                    const view::PrintRow row = builder_->BuildRow(
                        text_->At(ref.line), ref.offset, static_cast<int32_t>(ref.line + 1),
                        text_->Bold(ref.line));
                    const qreal baseline = g.textTop + r * g.rowHeight + d.ascent;
                    if (print_.printLine) {
                        p.setFont(row.bold ? d.bold : d.font);
                        p.drawText(QPointF(g.NumberLeft(c), baseline),
                                   QString::fromLatin1(view::LineNumberText(row).c_str()));
                    }
                    (row.bold ? bold : plain).Draw(row, g.TextLeft(c), baseline);
                }
            }
            ++outcome.pages;
        }
    }
    if (outcome.cancelled) printer.abort();
    p.end();
    return outcome;
}

// ---- the commands --------------------------------------------------------------------------

void SetUpPdfPrinter(QPrinter& printer, const QString& file) {
    printer.setResolution(1200);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
}

PrintOutcome RunPrintJob(MainFrame& frame, PrintJob& job, QPrinter& printer,
                         QWidget* progressParent) {
    const bool headless = IsHeadless();
    std::unique_ptr<QProgressDialog> progress;
    if (!headless && progressParent) {
        progress = std::make_unique<QProgressDialog>(QObject::tr("Printing..."),
                                                     QObject::tr("Cancel"), 0, 0, progressParent);
        progress->setWindowModality(Qt::ApplicationModal);
        progress->setMinimumDuration(500);
    }
    PagePoller poller(progress.get());
    QElapsedTimer clock;
    clock.start();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto cancel = [&](int page) {
        if (job.beforePage) job.beforePage(page);
        if (!headless) {
            frame.ui().SetStatusText("Printing page " + std::to_string(page) +
                                     " ...(ESC key to break)");
        }
        if (progress) progress->setLabelText(QObject::tr("Printing page %1").arg(page));
        const bool escape = !headless && poller.Poll();
        return escape || (progress && progress->wasCanceled());
    };
    PrintOutcome outcome = job.Run(printer, cancel);
    QApplication::restoreOverrideCursor();
    if (!headless) frame.ui().SetStatusText(outcome.cancelled ? "Printing was cancelled." : "");
    if (outcome.cancelled && printer.outputFormat() == QPrinter::PdfFormat &&
        !printer.outputFileName().isEmpty())
        QFile::remove(printer.outputFileName());
    return outcome;
}

namespace {

// Headless runs: the PDF of NORV_PRINT_PDF, or nothing.
bool PrintHeadless(MainFrame& frame, DocWindow& w) {
    const char* file = std::getenv("NORV_PRINT_PDF");
    if (!file || !*file) return true;
    PrintJob job(w, frame.configuration().settings);
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdfPrinter(printer, QString::fromLocal8Bit(file));
    PrintOutcome outcome = RunPrintJob(frame, job, printer, nullptr);
    return outcome.pages > 0;
}

}  // namespace

void PrintDocument(MainFrame& frame, DocWindow& w) {
    frame.FlushEditBuffer(w.doc());
    if (IsHeadless()) {
        PrintHeadless(frame, w);
        return;
    }
    PrintJob job(w, frame.configuration().settings);
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, &frame);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setMinMax(1, job.PageCount(printer));
    if (dialog.exec() != QDialog::Accepted) return;
    if (printer.outputFormat() == QPrinter::PdfFormat) printer.setFullPage(true);
    RunPrintJob(frame, job, printer, &frame);
}

void PreviewDocument(MainFrame& frame, DocWindow& w) {
    frame.FlushEditBuffer(w.doc());
    if (IsHeadless()) {
        PrintHeadless(frame, w);
        return;
    }
    PrintJob job(w, frame.configuration().settings);
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, &frame);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* p) { RunPrintJob(frame, job, *p, nullptr); });
    dialog.exec();
}

}  // namespace norv::qt
