// The controls of the preference pages.
#include "gui/dialogs/preference_fields.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpressionValidator>
#include <algorithm>

#include "gui/editor/text_bridge.h"

namespace norv::qt {

QColor ToQColor(app::ColourValue v) {
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>((v >> 16) & 0xFF));
}

ColourButton::ColourButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, &ColourButton::Choose);
}

void ColourButton::setColour(const QColor& c) {
    const bool changed = c != colour_;
    colour_ = c;
    QPixmap swatch(24, 14);
    swatch.fill(c);
    QPainter p(&swatch);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    p.end();
    setIcon(QIcon(swatch));
    setIconSize(swatch.size());
    if (changed) emit colourChanged(c);
}

QString ColourButton::StoredText() const {
    return QString::fromStdString(app::FormatColour(
        app::Rgb(static_cast<unsigned>(colour_.red()), static_cast<unsigned>(colour_.green()),
                 static_cast<unsigned>(colour_.blue()))));
}

void ColourButton::Choose() {
    QString title = text();
    title.remove(QLatin1Char('&'));
    const QColor c = QColorDialog::getColor(colour_, this, title);
    if (c.isValid()) setColour(c);
}

QStringList FixedPitchFamilies(int codePage) {
    QStringList japanese, others;
    const QStringList withJapanese = QFontDatabase::families(QFontDatabase::Japanese);
    for (const QString& f : QFontDatabase::families()) {
        if (!QFontDatabase::isFixedPitch(f) || QFontDatabase::isPrivateFamily(f)) continue;
        (codePage == 932 && withJapanese.contains(f) ? japanese : others) << f;
    }
    return japanese + others;
}

bool FontInstalled(const QString& family) {
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

QString FieldSet::LabelText(const app::PageField& field) {
    return FromUtf8(field.label);
}

QWidget* FieldSet::Make(const app::PageField& f, QWidget* parent) {
    const QString name = FromUtf8(app::SpecOf(f.key).name);
    QWidget* w = nullptr;
    switch (f.control) {
        case app::Control::kCheck: {
            auto* box = new QCheckBox(LabelText(f), parent);
            box->setChecked(settings_.Flag(f.key));
            w = box;
            break;
        }
        case app::Control::kNumber: {
            auto* edit = new QLineEdit(QString::number(settings_.Int(f.key)), parent);
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("-?[0-9]{0,11}")), edit));
            w = edit;
            break;
        }
        case app::Control::kChoice: {
            auto* combo = new QComboBox(parent);
            for (std::string_view n : app::ChoiceNames(f.key)) combo->addItem(FromUtf8(n));
            const int v = settings_.Int(f.key);
            if (f.range.Holds(v)) {
                combo->setCurrentIndex(v - f.range.min);
            } else {
                // A value the choices do not name stays as it is unless another is chosen.
                combo->addItem(QString::number(v));
                combo->setCurrentIndex(combo->count() - 1);
            }
            w = combo;
            break;
        }
        case app::Control::kColour: {
            auto* button = new ColourButton(LabelText(f), parent);
            button->setColour(ToQColor(settings_.Colour(f.key)));
            w = button;
            break;
        }
        case app::Control::kFont: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->addItems(FixedPitchFamilies(codePage_));
            combo->setEditText(BytesToQString(codePage_, settings_.Text(f.key)));
            w = combo;
            break;
        }
        case app::Control::kText:
        case app::Control::kFolder:
        case app::Control::kExtensions:
            w = new QLineEdit(BytesToQString(codePage_, settings_.Text(f.key)), parent);
            break;
    }
    w->setObjectName(name);
    Entry e{f.key, f.control, w, {}};
    e.initial = Current(e);
    entries_.push_back(e);
    return w;
}

QString FieldSet::Current(const Entry& e) {
    switch (e.control) {
        case app::Control::kCheck:
            return static_cast<QCheckBox*>(e.widget)->isChecked() ? QStringLiteral("1")
                                                                  : QStringLiteral("0");
        case app::Control::kChoice: {
            auto* combo = static_cast<QComboBox*>(e.widget);
            const app::ValueRange r = app::RangeOf(e.key);
            const int names = static_cast<int>(app::ChoiceNames(e.key).size());
            if (combo->currentIndex() >= 0 && combo->currentIndex() < names)
                return QString::number(r.min + combo->currentIndex());
            return combo->currentText();
        }
        case app::Control::kColour:
            return static_cast<ColourButton*>(e.widget)->StoredText();
        case app::Control::kFont:
            return static_cast<QComboBox*>(e.widget)->currentText();
        default:
            return static_cast<QLineEdit*>(e.widget)->text();
    }
}

void FieldSet::LayOut(const std::vector<const app::PageField*>& fields, QWidget* parent,
                      QGridLayout* grid, int checkColumns, int formColumns) {
    int row = grid->rowCount();
    // Check boxes share the form's columns evenly.
    const int span = std::max(1, formColumns * 2 / checkColumns);
    int n = 0;
    for (const app::PageField* f : fields) {
        if (f->control != app::Control::kCheck) continue;
        grid->addWidget(Make(*f, parent), row + n / checkColumns, (n % checkColumns) * span, 1,
                        span);
        ++n;
    }
    row += (n + checkColumns - 1) / checkColumns;
    n = 0;
    for (const app::PageField* f : fields) {
        if (f->control == app::Control::kCheck) continue;
        QWidget* control = Make(*f, parent);
        const int r = row + n / formColumns, c = (n % formColumns) * 2;
        if (f->control == app::Control::kColour) {
            grid->addWidget(control, r, c, 1, 2);
        } else {
            auto* label = new QLabel(LabelText(*f), parent);
            label->setBuddy(control);
            grid->addWidget(label, r, c);
            grid->addWidget(control, r, c + 1);
        }
        ++n;
    }
}

QWidget* FieldSet::Control(app::Key key) const {
    for (const Entry& e : entries_)
        if (e.key == key) return e.widget;
    return nullptr;
}

void FieldSet::Collect(std::vector<app::PreferenceEdit>& edits,
                       std::optional<app::PreferenceRefusal>& refusal) const {
    for (const Entry& e : entries_) {
        const QString now = Current(e);
        if (now == e.initial) continue;
        std::optional<std::string> bytes = QStringToBytes(codePage_, now);
        if (!bytes) {
            if (!refusal)
                refusal = app::PreferenceRefusal{
                    e.key, app::FieldName(e.key) +
                               ": the text holds characters that the settings file cannot hold."};
            continue;
        }
        edits.push_back({e.key, std::move(*bytes)});
    }
}

PreferencePage::PreferencePage(app::PageId id, const app::Settings& settings, int codePage,
                               QWidget* parent)
    : QWidget(parent), id_(id), fields_(settings, codePage) {
    static constexpr const char* kClassNames[] = {
        "COption", "CAdvanced", "CDispOpt", "CExtOpt",   "CFOptDlg", "CFontColor", "CKeyDlg",
        "CKwdDlg", "CMenuCust", "CScript",  "CPrintFmt", "CEditKey", "COthers"};
    static_assert(std::size(kClassNames) == app::kPageCount);
    setObjectName(QString::fromLatin1(kClassNames[size_t(id)]));
}

}  // namespace norv::qt
