// Printing through the real job into PDF files, read back with poppler's tools (pdfinfo,
// pdftotext, pdftoppm): page counts, header and footer places, line numbers, two columns,
// margins, bold bookmarked rows, the text itself in every script, the preview, cancelling.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/config/configuration.h"
#include "document/line_record.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/printing.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using app::Key;
using testing::Iconv;

std::string Shell(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    pclose(p);
    return out;
}

int PdfPages(const std::string& pdf) {
    std::string info = Shell("pdfinfo '" + pdf + "' 2>/dev/null");
    QRegularExpressionMatch m =
        QRegularExpression("Pages:\\s+(\\d+)").match(QString::fromStdString(info));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The text of each page (pdftotext -layout), one string per page.
std::vector<QString> PageTexts(const std::string& pdf) {
    QString all = QString::fromUtf8(Shell("pdftotext -layout '" + pdf + "' - 2>/dev/null"));
    QStringList pages = all.split(QChar('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.pop_back();
    return std::vector<QString>(pages.begin(), pages.end());
}

struct Word {
    double xMin, yMin, xMax, yMax;
    QString text;
};

// The words of page `page` with their boxes in points (pdftotext -bbox).
std::vector<Word> Words(const std::string& pdf, int page) {
    std::string html = Shell("pdftotext -bbox -f " + std::to_string(page) + " -l " +
                             std::to_string(page) + " '" + pdf + "' - 2>/dev/null");
    std::vector<Word> words;
    QRegularExpression re(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">"
        "([^<]*)</word>");
    auto it = re.globalMatch(QString::fromUtf8(html));
    while (it.hasNext()) {
        auto m = it.next();
        words.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(),
                         m.captured(3).toDouble(), m.captured(4).toDouble(), m.captured(5)});
    }
    return words;
}

const Word* Find(const std::vector<Word>& words, const QString& text) {
    for (const Word& w : words)
        if (w.text == text) return &w;
    return nullptr;
}

constexpr double kPointsPerMm = 72.0 / 25.4;

struct Fixture {
    Fixture() : config(932) {
        // A known font and size, so positions are predictable.
        config.settings.Set(Key::PrintFont, "Noto Sans Mono CJK JP");
        config.settings.Set(Key::PrintFontHeight, 16);
    }
    void Use() { frame.UseConfiguration(config, nullptr); }
    // Prints the active document into `name` in the test folder.
    PrintOutcome Print(DocWindow& w, const std::string& name,
                       std::function<void(int)> beforePage = {}) {
        PrintJob job(w, frame.configuration().settings);
        job.beforePage = std::move(beforePage);
        QPrinter printer(QPrinter::HighResolution);
        SetUpPdfPrinter(printer, QString::fromStdString(dir.File(name)));
        return RunPrintJob(frame, job, printer, nullptr);
    }
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    app::Configuration config;
    MainFrame frame{&ui};
};

std::string NumberedLines(int count, const char* prefix = "line") {
    std::string text;
    for (int i = 1; i <= count; ++i) text += std::string(prefix) + std::to_string(i) + "\r\n";
    return text;
}

// Body lines of a page: the lines that begin with the prefix.
QStringList BodyLines(const QString& page, const QString& prefix) {
    QStringList out;
    for (const QString& l : page.split('\n'))
        if (l.trimmed().startsWith(prefix)) out << l.trimmed();
    return out;
}

TEST(Print, PagesFollowTheRowArithmeticAndThePreviewShowsThem) {
    Fixture f;
    f.Use();
    DocWindow* w = f.frame.OpenFile(f.dir.Write("n.txt", NumberedLines(300)));
    ASSERT_NE(w, nullptr);
    ASSERT_FALSE(f.Print(*w, "n.pdf").cancelled);
    const std::string pdf = f.dir.File("n.pdf");
    std::vector<QString> pages = PageTexts(pdf);
    const int count = PdfPages(pdf);
    ASSERT_GT(count, 1);
    ASSERT_EQ(static_cast<int>(pages.size()), count);
    // Every page but the last is full: page n holds lines (n-1)K+1 to nK.
    const QStringList first = BodyLines(pages[0], "line");
    const int perPage = static_cast<int>(first.size());
    ASSERT_GT(perPage, 30);
    EXPECT_EQ(count, (300 + perPage - 1) / perPage);
    for (int p = 0; p < count; ++p) {
        QStringList body = BodyLines(pages[static_cast<size_t>(p)], "line");
        ASSERT_FALSE(body.isEmpty()) << p;
        EXPECT_EQ(body.front(), QString("line%1").arg(p * perPage + 1)) << p;
        if (p + 1 < count) EXPECT_EQ(body.size(), perPage) << p;
    }
    EXPECT_EQ(BodyLines(pages.back(), "line").back(), "line300");
    // The default header (the file name) and footer ("- &p -").
    EXPECT_TRUE(pages[1].contains("n.txt"));
    EXPECT_TRUE(pages[1].contains("- 2 -"));

    // The preview paints the same job: the same number of pages.
    PrintJob job(*w, f.frame.configuration().settings);
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(1200);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setFullPage(true);
    QPrintPreviewWidget preview(&printer);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested,
                     [&](QPrinter* p) { RunPrintJob(f.frame, job, *p, nullptr); });
    preview.updatePreview();
    EXPECT_EQ(preview.pageCount(), count);
}

TEST(Print, HeaderAndFooterStandWhereTheirAlignmentSays) {
    static const struct {
        int align;
        const char* name;
    } kCases[] = {{0, "left"}, {1, "centre"}, {2, "right"}, {9, "other"}};
    const double pageWidth = 595.28;
    const double left = 10 * kPointsPerMm, right = pageWidth - 5 * kPointsPerMm;
    for (const auto& c : kCases) {
        Fixture f;
        f.config.settings.Set(Key::Header, "HEADWORD");
        f.config.settings.Set(Key::Footer, "FOOTWORD");
        f.config.settings.Set(Key::HeadAlign, c.align);
        f.config.settings.Set(Key::FootAlign, c.align);
        f.Use();
        DocWindow* w = f.frame.OpenFile(f.dir.Write("h.txt", "body\r\n"));
        ASSERT_NE(w, nullptr);
        f.Print(*w, "h.pdf");
        std::vector<Word> words = Words(f.dir.File("h.pdf"), 1);
        const Word* head = Find(words, "HEADWORD");
        const Word* foot = Find(words, "FOOTWORD");
        const Word* body = Find(words, "body");
        ASSERT_TRUE(head && foot && body) << c.name;
        // The header at the top margin, the footer above the bottom margin.
        EXPECT_NEAR(head->yMin, 15 * kPointsPerMm, 4) << c.name;
        EXPECT_LT(head->yMax, body->yMin + 1) << c.name;
        EXPECT_LT(foot->yMax, 841.89 - 15 * kPointsPerMm + 1) << c.name;
        EXPECT_GT(foot->yMin, 700) << c.name;
        const double cell = (head->xMax - head->xMin) / 8;
        for (const Word* word : {head, foot}) {
            switch (c.align) {
                case 1:
                    EXPECT_NEAR((word->xMin + word->xMax) / 2, (left + right) / 2, 2) << c.name;
                    break;
                case 2:
                    EXPECT_NEAR(word->xMax, right - cell, 2) << c.name;
                    break;
                default:
                    EXPECT_NEAR(word->xMin, left, 2) << c.name;
            }
        }
    }
}

TEST(Print, LineNumbersMarginsAndTwoColumns) {
    Fixture f;
    f.config.settings.Set(Key::PrintLine, 1);
    f.config.settings.Set(Key::PrintLeft, 30);
    f.Use();
    // A line long enough to wrap gets "      :" on its second row.
    std::string text = NumberedLines(200);
    text.insert(0, "w" + std::string(150, 'x') + "\r\n");
    DocWindow* w = f.frame.OpenFile(f.dir.Write("l.txt", text));
    ASSERT_NE(w, nullptr);
    f.Print(*w, "l.pdf");
    std::vector<QString> pages = PageTexts(f.dir.File("l.pdf"));
    ASSERT_FALSE(pages.empty());
    EXPECT_TRUE(pages[0].contains(QRegularExpression("\\n\\s*1:w")));
    EXPECT_TRUE(pages[0].contains(QRegularExpression("\\n\\s*:x")));
    EXPECT_TRUE(pages[0].contains(QRegularExpression("\\n\\s*2:line1\\b")));
    std::vector<Word> words = Words(f.dir.File("l.pdf"), 1);
    const Word* number = Find(words, "2:line1");
    ASSERT_NE(number, nullptr);
    // The number begins at the left margin of 30 mm, five blanks of "%6d:" before it.
    const double cell = (number->xMax - number->xMin) / 7;
    EXPECT_NEAR(number->xMin - 5 * cell, 30 * kPointsPerMm, 2);
    const int singleColumn = static_cast<int>(BodyLines(pages[0], "").size());

    // Two columns: the second on the right half, twice the lines on a page.
    Fixture g;
    g.config.settings.Set(Key::PackPrint, 1);
    g.Use();
    DocWindow* w2 = g.frame.OpenFile(g.dir.Write("p.txt", NumberedLines(400)));
    ASSERT_NE(w2, nullptr);
    g.Print(*w2, "p.pdf");
    words = Words(g.dir.File("p.pdf"), 1);
    const Word* firstLine = Find(words, "line1");
    ASSERT_NE(firstLine, nullptr);
    int onPage = 0;
    const Word* rightColumn = nullptr;
    for (const Word& word : words)
        if (word.text.startsWith("line")) {
            ++onPage;
            if (word.xMin > 297 && !rightColumn) rightColumn = &word;
        }
    ASSERT_NE(rightColumn, nullptr);
    EXPECT_NEAR(rightColumn->yMin, firstLine->yMin, 1);
    EXPECT_EQ(rightColumn->text, QString("line%1").arg(onPage / 2 + 1));
    EXPECT_GT(onPage, singleColumn);
}

// Sum of darkness (255 - grey) of the pixel rows [top, bottom) of a PNG.
long Darkness(const QImage& image, int top, int bottom) {
    long sum = 0;
    for (int y = std::max(0, top); y < std::min(image.height(), bottom); ++y)
        for (int x = 0; x < image.width(); ++x) sum += 255 - qGray(image.pixel(x, y));
    return sum;
}

TEST(Print, BookmarkedLinesPrintBold) {
    Fixture f;
    f.Use();
    DocWindow* w = f.frame.OpenFile(f.dir.Write("b.txt", "MARKED WORDS\r\nMARKED WORDS\r\n"));
    ASSERT_NE(w, nullptr);
    w->doc().lines().first()->flags |= document::LF_MARK;
    f.Print(*w, "b.pdf");
    const std::string pdf = f.dir.File("b.pdf");
    std::vector<Word> words = Words(pdf, 1);
    std::vector<const Word*> rows;
    for (const Word& word : words)
        if (word.text == "MARKED") rows.push_back(&word);
    ASSERT_EQ(rows.size(), 2u);
    Shell("pdftoppm -r 100 -gray -f 1 -l 1 -png '" + pdf + "' '" + f.dir.File("b") + "'");
    QImage image(QString::fromStdString(f.dir.File("b-1.png")));
    ASSERT_FALSE(image.isNull());
    auto band = [&](const Word* word) {
        return Darkness(image, static_cast<int>(word->yMin * 100 / 72),
                        static_cast<int>(word->yMax * 100 / 72) + 1);
    };
    EXPECT_GT(band(rows[0]), band(rows[1]) * 11 / 10);
}

QString Normalized(const QString& text) {
    QString out;
    for (QChar c : text.normalized(QString::NormalizationForm_KC))
        if (!c.isSpace()) out += c;
    return out;
}

// The pages' text without headers, footers and blanks.
QString PrintedText(const std::string& pdf) {
    QString out;
    for (const QString& page : PageTexts(pdf))
        for (const QString& line : page.split('\n'))
            if (!line.contains("HDR") && !line.contains("FTR")) out += line;
    return Normalized(out);
}

TEST(Print, TheTextOfThePagesIsTheDocumentsInEveryScript) {
    // Japanese with half-width kana in Shift-JIS, and a UTF-8 document with scripts code page
    // 932 lacks (Korean, Greek with accents, Cyrillic), wrapped over many rows and pages.
    std::string japanese, unicode;
    for (int i = 0; i < 120; ++i) {
        japanese += "日本語の文章ｶﾀｶﾅと英語 text " + std::to_string(i) + "、句読点。\r\n";
        unicode += "한국어 문장 Ελληνικά ώρα Русский текст 漢字 " + std::to_string(i) + "\n";
    }
    japanese += std::string(300, 'z') + "\r\n";
    static const struct {
        const char* name;
        std::string bytes;
        std::string utf8;
    } kCases[] = {
        {"sjis.txt", Iconv("CP932", japanese), japanese},
        {"utf8.txt", unicode, unicode},
    };
    for (const auto& c : kCases) {
        Fixture f;
        f.config.settings.Set(Key::Header, "HDR &p");
        f.config.settings.Set(Key::Footer, "FTR &p");
        f.Use();
        DocWindow* w = f.frame.OpenFile(f.dir.Write(c.name, c.bytes));
        ASSERT_NE(w, nullptr);
        f.Print(*w, "t.pdf");
        ASSERT_GT(PdfPages(f.dir.File("t.pdf")), 1) << c.name;
        EXPECT_EQ(PrintedText(f.dir.File("t.pdf")), Normalized(QString::fromStdString(c.utf8)))
            << c.name;
    }
}

TEST(Print, ASelectionPrintsAlone) {
    Fixture f;
    f.Use();
    DocWindow* w = f.frame.OpenFile(f.dir.Write("s.txt", NumberedLines(50)));
    ASSERT_NE(w, nullptr);
    w->selection().Select(10, 0, 12, 3);
    f.Print(*w, "s.pdf");
    std::vector<QString> pages = PageTexts(f.dir.File("s.pdf"));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(BodyLines(pages[0], "lin"), QStringList({"line10", "line11", "lin"}));
}

TEST(Print, EscapeStopsTheJobBetweenPagesAndRemovesThePdf) {
    Fixture f;
    f.Use();
    DocWindow* w = f.frame.OpenFile(f.dir.Write("e.txt", NumberedLines(2000)));
    ASSERT_NE(w, nullptr);
    const int wrap = w->view().layout().wrapColumn();
    const int32_t rows = w->view().layout().RowCount(w->view().TextOf(w->doc().lines().first()));
    QWidget* editor = &w->editor();
    PrintOutcome outcome = f.Print(*w, "e.pdf", [&](int page) {
        if (page == 3) {
            QApplication::postEvent(
                editor, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
    });
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.pages, 2);
    EXPECT_FALSE(std::filesystem::exists(f.dir.File("e.pdf")));
    EXPECT_EQ(w->view().layout().wrapColumn(), wrap);
    EXPECT_EQ(w->view().layout().RowCount(w->view().TextOf(w->doc().lines().first())), rows);
    EXPECT_EQ(f.ui.statusTexts.empty() ? std::string() : f.ui.statusTexts.back(),
              "Printing was cancelled.");
}

}  // namespace
}  // namespace norv::qt
