// The preferences dialog and its pages of settings keys alone.
#include "gui/dialogs/preference_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/editor/text_bridge.h"

namespace norv::qt {

namespace {

// Pages of settings keys only; the Tools page and Others hold the most fields and get two
// columns of them.
class FieldPage : public PreferencePage {
  public:
    FieldPage(app::PageId id, const PreferenceContext& c, QWidget* parent)
        : PreferencePage(id, *c.settings, c.codePage, parent) {
        auto* grid = new QGridLayout(this);
        const std::vector<const app::PageField*> all = app::FieldsOf(id);
        if (id == app::PageId::CExtOpt) {
            // The help entries as a table: file, description, extensions.
            std::vector<const app::PageField*> head, help;
            for (const app::PageField* f : all)
                (size_t(f->key) >= size_t(app::Key::Help1) &&
                         size_t(f->key) <= size_t(app::Key::Help10Ext)
                     ? help
                     : head)
                    .push_back(f);
            fields_.LayOut(head, this, grid, 3, 2);
            auto* box = new QGroupBox(QStringLiteral("Help files"), this);
            auto* table = new QGridLayout(box);
            const char* headings[] = {"File", "Description", "Extensions"};
            for (int c2 = 0; c2 < 3; ++c2)
                table->addWidget(new QLabel(QString::fromLatin1(headings[c2]), box), 0, c2 + 1);
            for (size_t i = 0; i < help.size(); ++i) {
                const int row = static_cast<int>(i / 3) + 1, col = static_cast<int>(i % 3);
                if (col == 0) table->addWidget(new QLabel(QString::number(row), box), row, 0);
                QWidget* w = fields_.Make(*help[i], box);
                w->setToolTip(FieldSet::LabelText(*help[i]));
                table->addWidget(w, row, col + 1);
            }
            grid->addWidget(box, grid->rowCount(), 0, 1, 4);
        } else {
            const bool wide = all.size() > 16;
            fields_.LayOut(all, this, grid, wide ? 3 : 2, wide ? 2 : 1);
        }
        grid->setRowStretch(grid->rowCount(), 1);
    }
};

// File Types: a profile chosen on top, its fields below; every profile's fields exist at once
// (one stacked page each), so changes to several profiles are kept together.
class FileTypePage : public PreferencePage {
  public:
    FileTypePage(const PreferenceContext& c, QWidget* parent)
        : PreferencePage(app::PageId::CFOptDlg, *c.settings, c.codePage, parent) {
        auto* column = new QVBoxLayout(this);
        auto* top = new QHBoxLayout;
        auto* label = new QLabel(QStringLiteral("&File type:"), this);
        auto* profiles = new QComboBox(this);
        profiles->setObjectName(QStringLiteral("profile"));
        label->setBuddy(profiles);
        top->addWidget(label);
        top->addWidget(profiles, 1);
        column->addLayout(top);
        auto* stack = new QStackedWidget(this);
        for (size_t i = 0; i < app::kProfileCount; ++i) {
            const auto id = app::ProfileId(i);
            const app::ProfileKeys& k = app::kProfileKeys[i];
            QString title = FromUtf8(app::ProfileTitle(id));
            const std::string& name = c.settings->Text(k.cmt);
            if (!name.empty() && name != app::ProfileTitle(id))
                title +=
                    QStringLiteral(" (") + BytesToQString(c.codePage, name) + QStringLiteral(")");
            profiles->addItem(title);
            auto* sheet = new QWidget(stack);
            sheet->setObjectName(QStringLiteral("profile%1").arg(i));
            auto* grid = new QGridLayout(sheet);
            std::vector<const app::PageField*> mine;
            for (const app::PageField* f : app::FieldsOf(app::PageId::CFOptDlg))
                if (app::ProfileOfKey(f->key) == id) mine.push_back(f);
            fields_.LayOut(mine, sheet, grid, 2, 1);
            if (k.noWrap == app::kNoKey) {
                // C source never wraps: shown on, and not to be changed.
                auto* fixed = new QCheckBox(QStringLiteral("No w&rap"), sheet);
                fixed->setObjectName(QStringLiteral("CNoWrap"));
                fixed->setChecked(true);
                fixed->setEnabled(false);
                grid->addWidget(fixed, grid->rowCount(), 0);
            }
            grid->setRowStretch(grid->rowCount(), 1);
            stack->addWidget(sheet);
        }
        column->addWidget(stack, 1);
        connect(profiles, &QComboBox::currentIndexChanged, stack, &QStackedWidget::setCurrentIndex);
    }
};

// A row of text as the view draws it, in the colours chosen on the page.
class ColourSample : public QWidget {
  public:
    ColourSample(const FieldSet& fields, QWidget* parent) : QWidget(parent), fields_(fields) {
        setObjectName(QStringLiteral("sample"));
        setMinimumHeight(fontMetrics().height() * 2 + 8);
    }
    QSize sizeHint() const override { return {360, fontMetrics().height() * 2 + 8}; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const int h = fontMetrics().height() + 4;
        const int numbers = fontMetrics().horizontalAdvance(QStringLiteral("0000:")) + 8;
        p.fillRect(QRect(0, 0, width(), h), Colour(app::Key::GbakColor));
        p.setPen(Colour(app::Key::GaugColor));
        p.drawText(QRect(numbers, 0, width() - numbers, h), Qt::AlignVCenter,
                   QStringLiteral("----+----1----+----2----+----3"));
        p.fillRect(QRect(0, h, numbers, h), Colour(app::Key::LBakColor));
        p.setPen(Colour(app::Key::LnumColor));
        p.drawText(QRect(0, h, numbers - 4, h), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("1:"));
        p.fillRect(QRect(numbers, h, width() - numbers, h), Colour(app::Key::BackColor));
        int x = numbers + 2;
        auto draw = [&](app::Key key, const QString& s) {
            p.setPen(Colour(key));
            p.drawText(QPoint(x, h + fontMetrics().ascent() + 2), s);
            x += fontMetrics().horizontalAdvance(s);
        };
        draw(app::Key::TextColor, QStringLiteral("Text "));
        draw(app::Key::Key0Color, QStringLiteral("keyword "));
        draw(app::Key::URLColor, QStringLiteral("http://example.org "));
        draw(app::Key::TABColor, QStringLiteral("\u00BB "));
        draw(app::Key::CRColor, QStringLiteral("\u2193"));
    }

  private:
    QColor Colour(app::Key key) const {
        auto* b = qobject_cast<ColourButton*>(fields_.Control(key));
        return b ? b->colour() : QColor();
    }
    const FieldSet& fields_;
};

class FontColorPage : public PreferencePage {
  public:
    FontColorPage(const PreferenceContext& c, QWidget* parent)
        : PreferencePage(app::PageId::CFontColor, *c.settings, c.codePage, parent) {
        auto* column = new QVBoxLayout(this);
        std::vector<const app::PageField*> font, colours;
        for (const app::PageField* f : app::FieldsOf(id_))
            (f->control == app::Control::kColour ? colours : font).push_back(f);
        auto* fontGrid = new QGridLayout;
        fields_.LayOut(font, this, fontGrid, 2, 2);
        column->addLayout(fontGrid);
        auto* box = new QGroupBox(QStringLiteral("Colors"), this);
        auto* grid = new QGridLayout(box);
        fields_.LayOut(colours, box, grid, 1, 4);
        column->addWidget(box);
        auto* sample = new ColourSample(fields_, this);
        column->addWidget(sample);
        for (const app::PageField* f : colours)
            if (auto* b = qobject_cast<ColourButton*>(fields_.Control(f->key)))
                connect(b, &ColourButton::colourChanged, sample, [sample] { sample->update(); });
        column->addStretch(1);
    }
};

}  // namespace

PreferencePage* MakeFieldPage(app::PageId id, const PreferenceContext& c, QWidget* parent) {
    return new FieldPage(id, c, parent);
}
PreferencePage* MakeFileTypePage(const PreferenceContext& c, QWidget* parent) {
    return new FileTypePage(c, parent);
}
PreferencePage* MakeFontColorPage(const PreferenceContext& c, QWidget* parent) {
    return new FontColorPage(c, parent);
}

CElwProp::CElwProp(QWidget* parent, const PreferenceContext& context)
    : QDialog(parent), context_(context) {
    setWindowTitle(QString::fromLatin1(kPreferencesTitle));
    setObjectName(QStringLiteral("CElwProp"));
    if (context_.keys) keys_ = *context_.keys;
    tabs_ = new QTabWidget(this);
    for (size_t i = 0; i < app::kPageCount; ++i) {
        const auto id = app::PageId(i);
        PreferencePage* p = nullptr;
        switch (id) {
            case app::PageId::CFOptDlg:
                p = MakeFileTypePage(context_, tabs_);
                break;
            case app::PageId::CFontColor:
                p = MakeFontColorPage(context_, tabs_);
                break;
            case app::PageId::CKeyDlg:
                p = MakeKeyPage(*this, tabs_);
                break;
            case app::PageId::CEditKey:
                p = MakeEditKeyPage(*this, tabs_);
                break;
            case app::PageId::CKwdDlg:
                p = MakeKeywordPage(context_, tabs_);
                break;
            case app::PageId::CMenuCust:
                p = MakeMenuPage(context_, tabs_);
                break;
            case app::PageId::CScript:
                p = MakeScriptPage(context_, tabs_);
                break;
            default:
                p = MakeFieldPage(id, context_, tabs_);
                break;
        }
        pages_.push_back(p);
        tabs_->addTab(p, FromUtf8(app::PageTitle(id)));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(tabs_, 1);
    column->addWidget(buttons);
    // Every page at its full size: no control is squeezed below what it asks for.
    resize(sizeHint());
}

CElwProp::~CElwProp() = default;

PreferencePage* CElwProp::page(app::PageId id) const {
    return pages_[size_t(id)];
}

bool CElwProp::Collect() {
    result_ = {};
    std::optional<app::PreferenceRefusal> refusal;
    for (PreferencePage* p : pages_) p->Collect(result_.edits, refusal);
    const app::FontExists fonts = [this](std::string_view family) {
        return FontInstalled(BytesToQString(context_.codePage, family));
    };
    if (!refusal) refusal = app::CheckPreferences(result_.edits, fonts);
    if (refusal) {
        // Its page and its control come forward under the message.
        for (PreferencePage* p : pages_) {
            if (QWidget* w = p->fields().Control(refusal->key)) {
                tabs_->setCurrentWidget(p);
                if (p->id() == app::PageId::CFOptDlg)
                    if (auto* profiles = p->findChild<QComboBox*>(QStringLiteral("profile")))
                        if (const auto profile = app::ProfileOfKey(refusal->key))
                            profiles->setCurrentIndex(int(*profile));
                w->setFocus();
                break;
            }
        }
        QMessageBox::warning(this, QString::fromLatin1(kPreferencesTitle),
                             BytesToQString(context_.codePage, refusal->message));
        result_ = {};
        return false;
    }
    for (PreferencePage* p : pages_)
        if (auto* f = qobject_cast<FilePage*>(p)) f->CollectFiles(result_);
    if (keysChanged_ && (!context_.keys || !(keys_ == *context_.keys))) result_.keys = keys_;
    result_.loadedKeyFile = loadedKeyFile_;
    return true;
}

void CElwProp::done(int r) {
    if (r == QDialog::Accepted && !Collect()) return;
    QDialog::done(r);
}

}  // namespace norv::qt
