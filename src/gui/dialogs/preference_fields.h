// The controls of the preference pages, made from the page table: one control per settings key,
// named by the key as stored ("Help:" for the tenth help file), showing the value held.
//
// A field remembers the value its control showed when it was made; only a control whose value
// differs from that is handed back as an edit. A value the control cannot show unchanged (a
// number out of its range, a font that is not installed) is therefore never written back just
// because the page was opened.
#pragma once

#include <QColor>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "app/config/preference_changes.h"
#include "app/config/preference_table.h"
#include "app/config/settings.h"

class QGridLayout;
class QLabel;

namespace norv::qt {

// A button that shows and chooses a colour ("RRR GGG BBB" as stored).
class ColourButton : public QPushButton {
    Q_OBJECT

  public:
    ColourButton(const QString& text, QWidget* parent);
    QColor colour() const { return colour_; }
    void setColour(const QColor& c);
    QString StoredText() const;

  signals:
    void colourChanged(const QColor& c);

  private:
    void Choose();
    QColor colour_;
};

QColor ToQColor(app::ColourValue v);

// The fixed-pitch families a font field offers; with code page 932 those with Japanese glyphs
// come first.
QStringList FixedPitchFamilies(int codePage);
bool FontInstalled(const QString& family);

class FieldSet {
  public:
    FieldSet(const app::Settings& settings, int codePage)
        : settings_(settings), codePage_(codePage) {}

    // The control of a field (its label is made by the caller from LabelText).
    QWidget* Make(const app::PageField& field, QWidget* parent);
    static QString LabelText(const app::PageField& field);

    // Lays out the fields: check boxes in `checkColumns` columns, then the other fields as
    // label and control in `formColumns` pairs of columns.
    void LayOut(const std::vector<const app::PageField*>& fields, QWidget* parent,
                QGridLayout* grid, int checkColumns, int formColumns);

    QWidget* Control(app::Key key) const;
    // The changed values, in stored form; a text the system code page cannot hold is refused.
    void Collect(std::vector<app::PreferenceEdit>& edits,
                 std::optional<app::PreferenceRefusal>& refusal) const;

  private:
    struct Entry {
        app::Key key;
        app::Control control;
        QWidget* widget;
        QString initial;
    };
    static QString Current(const Entry& e);

    const app::Settings& settings_;
    int codePage_;
    std::vector<Entry> entries_;
};

// A page of the preferences: its own fields and whatever else it edits.
class PreferencePage : public QWidget {
    Q_OBJECT

  public:
    PreferencePage(app::PageId id, const app::Settings& settings, int codePage, QWidget* parent);
    app::PageId id() const { return id_; }
    FieldSet& fields() { return fields_; }
    virtual void Collect(std::vector<app::PreferenceEdit>& edits,
                         std::optional<app::PreferenceRefusal>& refusal) const {
        fields_.Collect(edits, refusal);
    }

  protected:
    app::PageId id_;
    FieldSet fields_;
};

}  // namespace norv::qt
