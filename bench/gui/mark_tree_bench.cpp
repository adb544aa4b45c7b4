// The bookmark list's tree for a document of 100,000 marked heading lines, beside a plain
// QTreeWidget filled with the same texts in the same nesting, in the same run.
//
// The document is Shift-JIS, one heading a line, numbered so that the outline nests three
// deep: "N. 見出し N" every hundredth line, "N.S 節 N.S" every tenth, "N.S.K 項目 I" between.
// Every line is marked and the document is the active one of a shown main frame with the bar
// shown. A norv run is CMarkBar::Rebuild (the outline read from the text, the items made and
// inserted, the root expanded) and the pending events after it (the tree's delayed layout). A
// plain run makes a QTreeWidgetItem per item from ready QStrings, adds each to its parent, adds
// the root to the tree, expands it, and lets the same events run. Both trees are emptied before
// each run, untimed, and the two alternate which goes first. Prints the median of five runs of
// each, their ratio, and the norv time's own parts: the outline and the texts.
#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/config/configuration.h"
#include "app/config/settings_store.h"
#include "document/codecs.h"
#include "document/document.h"
#include "editing/outline.h"
#include "gui/editor/text_bridge.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/mark_bar.h"
#include "platform/fakes/headless_ui.h"
#include "platform/file_system.h"

namespace {

using namespace norv;
using Clock = std::chrono::steady_clock;

constexpr int kMarks = 100000;
constexpr int kRuns = 5;

std::string Headings() {
    std::string utf8;
    for (int i = 0; i < kMarks; ++i) {
        const int chapter = i / 100 + 1;
        const int r = i % 100;
        if (r == 0)
            utf8 += std::to_string(chapter) + ". 見出し " + std::to_string(chapter);
        else if (r % 10 == 0)
            utf8 += std::to_string(chapter) + "." + std::to_string(r / 10) + " 節 " +
                    std::to_string(chapter) + "." + std::to_string(r / 10);
        else
            utf8 += std::to_string(chapter) + "." + std::to_string(r / 10) + "." +
                    std::to_string(r % 10) + " 項目 " + std::to_string(i);
        utf8 += "\r\n";
    }
    std::string sjis;
    document::Utf8ToAnsi(sjis, utf8, 932);
    return sjis;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Ms(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

int CountItems(QTreeWidget* tree) {
    int n = 0;
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
        ++n;
        for (int i = 0; i < item->childCount(); ++i) walk(item->child(i));
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i) walk(tree->topLevelItem(i));
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("NORV_ACP", "932", 0);
    QApplication app(argc, argv);

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "bench: no temporary folder\n");
        return 1;
    }
    const std::string base = dir.path().toStdString();
    const std::string iniPath = base + "/norv.INI";
    const std::string docPath = base + "/headings.txt";
    std::ofstream(iniPath, std::ios::binary) << "[Settings]\nShowMarkList=1\n";
    std::ofstream(docPath, std::ios::binary) << Headings();

    app::Configuration config(932);
    app::SettingsStore store(platform::RealFileSystem(), iniPath, 932);
    config.settings.Load(store);
    platform::HeadlessUi ui;
    qt::MainFrame frame(&ui);
    frame.UseConfiguration(config, &store);
    frame.resize(1200, 900);
    frame.show();
    QApplication::processEvents();

    qt::DocWindow* w = frame.OpenFile(docPath);
    if (!w) {
        std::fprintf(stderr, "bench: cannot open %s\n", docPath.c_str());
        return 1;
    }
    int marked = 0;
    for (document::LineRecord* r = w->doc().lines().first(); r; r = r->next) {
        r->flags |= document::LF_MARK;
        if (r->contentLength() > 0) ++marked;  // the outline leaves out empty lines
    }
    QApplication::processEvents();
    qt::CMarkBar& bar = frame.markBar();
    if (!frame.MarkListShown()) frame.ShowMarkList(true);
    QApplication::processEvents();

    // One untimed build: it checks the tree and gives the plain one its texts and nesting.
    bar.Rebuild();
    QApplication::processEvents();
    qt::CMarkTree* tree = bar.tree();
    if (bar.shownDocument() != &w->doc() || bar.outline().size() != size_t(kMarks) ||
        CountItems(tree) != kMarks + 1) {
        std::fprintf(stderr, "bench: the tree has %d items for %d marked lines (outline %zu)\n",
                     CountItems(tree), marked, bar.outline().size());
        return 1;
    }
    const QString rootText = tree->topLevelItem(0)->text(0);
    std::vector<QString> texts;
    std::vector<int> parents;
    int depth = 0;
    for (const editing::OutlineItem& it : bar.outline()) {
        texts.push_back(qt::BytesToQString(932, it.text));
        parents.push_back(it.parent);
        int d = 1;
        for (int p = it.parent; p >= 0; p = parents[size_t(p)]) ++d;
        depth = std::max(depth, d);
    }

    // The plain tree beside it, in the same dock, so that both are shown at the same size.
    auto* plain = new QTreeWidget(tree->parentWidget());
    plain->setHeaderHidden(true);
    plain->setColumnCount(1);
    plain->setUniformRowHeights(true);
    plain->setGeometry(tree->geometry());
    plain->show();

    std::vector<double> norvMs, plainMs;
    int rebuiltAgain = 0;
    const auto timeNorv = [&](int run) {
        tree->clear();
        QApplication::processEvents();
        const auto t0 = Clock::now();
        bar.Rebuild();
        tree->topLevelItem(0)->setData(0, Qt::UserRole + 1, run);
        QApplication::processEvents();
        norvMs.push_back(Ms(t0));
        // The events after it must not build the tree once more (the tag would be gone).
        if (tree->topLevelItem(0)->data(0, Qt::UserRole + 1) != QVariant(run)) ++rebuiltAgain;
    };
    const auto timePlain = [&] {
        plain->clear();
        QApplication::processEvents();
        const auto t0 = Clock::now();
        auto* root = new QTreeWidgetItem(QStringList(rootText));
        root->setData(0, Qt::UserRole, -1);
        std::vector<QTreeWidgetItem*> made(texts.size());
        for (size_t i = 0; i < texts.size(); ++i) {
            auto* item = new QTreeWidgetItem(QStringList(texts[i]));
            item->setData(0, Qt::UserRole, static_cast<int>(i));
            made[i] = item;
            (parents[i] < 0 ? root : made[size_t(parents[i])])->addChild(item);
        }
        plain->addTopLevelItem(root);
        root->setExpanded(true);
        QApplication::processEvents();
        plainMs.push_back(Ms(t0));
    };
    // The order alternates, so that neither always runs on the heap the other just left.
    for (int run = 0; run < kRuns; ++run) {
        if (run % 2 == 0) {
            timeNorv(run);
            timePlain();
        } else {
            timePlain();
            timeNorv(run);
        }
    }
    if (CountItems(tree) != kMarks + 1 || CountItems(plain) != kMarks + 1) {
        std::fprintf(stderr, "bench: a tree lost items (%d, %d)\n", CountItems(tree),
                     CountItems(plain));
        return 1;
    }

    // Where the norv time goes beyond the plain fill: reading the outline from the text, and
    // making the items' QStrings from the document's bytes.
    std::vector<double> outlineMs, convertMs;
    for (int run = 0; run < kRuns; ++run) {
        auto t0 = Clock::now();
        const std::vector<editing::OutlineItem> items =
            editing::BuildOutline(w->doc().lines().first(), 932, w->doc().tabWidth);
        outlineMs.push_back(Ms(t0));
        t0 = Clock::now();
        qsizetype units = 0;
        for (const editing::OutlineItem& it : items)
            units += qt::BytesToQString(932, it.text).size();
        convertMs.push_back(Ms(t0));
        if (units == 0) return 1;
    }

    const double n = Median(norvMs), p = Median(plainMs);
    std::printf("marks: %d (outline depth %d), runs: %d\n", kMarks, depth, kRuns);
    std::printf("norv CMarkBar::Rebuild   %9.1f ms\n", n);
    std::printf("  of which outline       %9.1f ms\n", Median(outlineMs));
    std::printf("  of which texts         %9.1f ms\n", Median(convertMs));
    std::printf("plain QTreeWidget fill   %9.1f ms\n", p);
    if (rebuiltAgain > 0) std::printf("(the tree was built twice in %d norv runs)\n", rebuiltAgain);
    std::printf("norv/plain               %9.2fx (%s 1.5x)\n", n / p,
                n / p <= 1.5 ? "within" : "OVER");
    return 0;
}
