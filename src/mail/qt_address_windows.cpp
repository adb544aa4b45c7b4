// The address-book and send-form windows.
//
// The windows only show and pass on: the group files are read and written by AddressBook, the
// chosen list keeps its rules in ChosenAddresses. The "&Address Book" button of the send form
// never takes the focus, so it can follow the field the focus is in: it is enabled exactly
// while that is To, Cc or Bcc, and its result goes into that field.
#include "mail/qt_address_windows.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "mail/qt_text.h"

namespace norv::mail {
namespace {

void CannotCreate(QWidget* parent) {
    QMessageBox::warning(parent, QStringLiteral("Address Book"), ToQt(kCannotCreateFile));
}

QPushButton* Button(const char* text, const char* name) {
    auto* b = new QPushButton(QString::fromUtf8(text));
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

// "Add Address": an address and a name, added to or deleted from the current group's file.
void RunAddAddress(QWidget* parent, AddressBook& book, const std::string& group) {
    QDialog d(parent);
    d.setObjectName(kAddAddressName);
    d.setWindowTitle(QStringLiteral("Add Address"));
    auto* form = new QFormLayout(&d);
    auto* address = new QLineEdit;
    address->setObjectName("address");
    auto* name = new QLineEdit;
    name->setObjectName("name");
    form->addRow(QStringLiteral("Address:"), address);
    form->addRow(QStringLiteral("Name:"), name);
    auto* row = new QHBoxLayout;
    QPushButton* add = Button("&Add", "add");
    QPushButton* del = Button("&Delete", "delete");
    QPushButton* cancel = Button("Cancel", "cancel");
    row->addWidget(add);
    row->addWidget(del);
    row->addWidget(cancel);
    form->addRow(row);
    QObject::connect(add, &QPushButton::clicked, &d, [&] {
        if (!book.AddEntry(group, {FromQt(address->text(), kMaxGroupLine),
                                   FromQt(name->text(), kMaxGroupLine)}))
            return CannotCreate(&d);
        d.accept();
    });
    QObject::connect(del, &QPushButton::clicked, &d, [&] {
        if (!book.DeleteEntry(group, FromQt(address->text()))) return CannotCreate(&d);
        d.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    d.exec();
}

// "Add Group": a new group's name; it also deletes the named group after asking.
void RunAddGroup(QWidget* parent, AddressBook& book) {
    QDialog d(parent);
    d.setObjectName(kAddGroupName);
    d.setWindowTitle(QStringLiteral("Add Group"));
    auto* form = new QFormLayout(&d);
    auto* name = new QLineEdit;
    name->setObjectName("name");
    form->addRow(QStringLiteral("Group:"), name);
    auto* row = new QHBoxLayout;
    QPushButton* add = Button("&Add", "add");
    QPushButton* del = Button("&Delete", "delete");
    QPushButton* cancel = Button("Cancel", "cancel");
    row->addWidget(add);
    row->addWidget(del);
    row->addWidget(cancel);
    form->addRow(row);
    QObject::connect(add, &QPushButton::clicked, &d, [&] {
        if (!book.AddGroup(FromQt(name->text()))) return CannotCreate(&d);
        d.accept();
    });
    QObject::connect(del, &QPushButton::clicked, &d, [&] {
        const auto answer =
            QMessageBox::question(&d, QStringLiteral("Confirmation"), ToQt(kDeleteGroupQuestion),
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) return;
        if (!book.DeleteGroup(FromQt(name->text()))) return CannotCreate(&d);
        d.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    d.exec();
}

}  // namespace

void FillEntryList(QListWidget* list, const std::vector<AddressEntry>& entries) {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(entries.size()));
    for (const auto& e : entries) texts << ToQt(EntryText(e));
    list->addItems(texts);
}

bool RunAddressBook(AddressBook& book, std::string* joined) {
    QDialog d(QApplication::activeWindow());
    d.setObjectName(kAddressBookName);
    d.setWindowTitle(QStringLiteral("Address Book"));
    auto* grid = new QGridLayout(&d);
    auto* groups = new QComboBox;
    groups->setObjectName("group");
    auto* entries = new QListWidget;
    entries->setObjectName("entries");
    auto* chosenList = new QListWidget;
    chosenList->setObjectName("chosen");
    grid->addWidget(new QLabel(QStringLiteral("Group:")), 0, 0);
    grid->addWidget(groups, 1, 0);
    grid->addWidget(entries, 2, 0, 6, 1);
    grid->addWidget(new QLabel(QStringLiteral("To:")), 0, 2);
    grid->addWidget(chosenList, 1, 2, 7, 1);
    QPushButton* add = Button("&Add >>", "add");
    QPushButton* all = Button("A&ll >>", "all");
    QPushButton* del = Button("<< &Del", "del");
    QPushButton* reset = Button("<< &Reset", "reset");
    QPushButton* newAddr = Button("New A&ddr", "newAddr");
    QPushButton* newGrp = Button("New G&rp", "newGrp");
    int row = 2;
    for (QPushButton* b : {add, all, del, reset, newAddr, newGrp}) grid->addWidget(b, row++, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    grid->addWidget(buttons, 8, 0, 1, 3);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);

    ChosenAddresses chosen;
    std::vector<std::string> groupNames;
    auto showChosen = [&] {
        chosenList->clear();
        for (const auto& a : chosen.list()) chosenList->addItem(ToQt(a));
    };
    auto showEntries = [&] {
        entries->clear();
        const int g = groups->currentIndex();
        if (g < 0 || static_cast<size_t>(g) >= groupNames.size()) return;
        for (const auto& e : book.Entries(groupNames[static_cast<size_t>(g)]))
            entries->addItem(ToQt(EntryText(e)));
    };
    auto showGroups = [&](const std::string& select) {
        groupNames = book.Groups();
        const QSignalBlocker block(groups);
        groups->clear();
        int at = 0;
        for (size_t i = 0; i < groupNames.size(); ++i) {
            groups->addItem(ToQt(groupNames[i]));
            if (groupNames[i] == select) at = static_cast<int>(i);
        }
        groups->setCurrentIndex(at);
        showEntries();
    };
    auto currentGroup = [&] {
        const int g = groups->currentIndex();
        return g >= 0 && static_cast<size_t>(g) < groupNames.size()
                   ? groupNames[static_cast<size_t>(g)]
                   : std::string(kUsualGroup);
    };
    QObject::connect(groups, &QComboBox::currentIndexChanged, &d, [&] { showEntries(); });
    QObject::connect(add, &QPushButton::clicked, &d, [&] {
        if (QListWidgetItem* item = entries->currentItem()) chosen.Add(FromQt(item->text()));
        showChosen();
    });
    QObject::connect(all, &QPushButton::clicked, &d, [&] {
        for (int i = 0; i < entries->count(); ++i) chosen.Add(FromQt(entries->item(i)->text()));
        showChosen();
    });
    QObject::connect(del, &QPushButton::clicked, &d, [&] {
        const int i = chosenList->currentRow();
        if (i >= 0) chosen.Remove(static_cast<size_t>(i));
        showChosen();
    });
    QObject::connect(reset, &QPushButton::clicked, &d, [&] {
        chosen.Reset();
        showChosen();
    });
    QObject::connect(newAddr, &QPushButton::clicked, &d, [&] {
        RunAddAddress(&d, book, currentGroup());
        showEntries();
    });
    QObject::connect(newGrp, &QPushButton::clicked, &d, [&] {
        RunAddGroup(&d, book);
        showGroups(currentGroup());
    });
    showGroups(std::string(kUsualGroup));
    if (d.exec() != QDialog::Accepted) return false;
    *joined = chosen.Joined();
    return true;
}

bool RunSendForm(SendFormValues* values, AddressBook& book) {
    QDialog d(QApplication::activeWindow());
    d.setObjectName(kSendFormName);
    d.setWindowTitle(QStringLiteral("Send Form"));
    auto* layout = new QVBoxLayout(&d);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    QLineEdit* fields[static_cast<size_t>(FormField::kCount)];
    // In the designed order of the window: Subject, To, Cc, Bcc.
    for (const FormField f :
         {FormField::kSubject, FormField::kTo, FormField::kCc, FormField::kBcc}) {
        auto* e = new QLineEdit(ToQt((*values)[f]));
        const std::string_view n = kFormFieldNames[static_cast<size_t>(f)];
        QString name = QString::fromLatin1(n.data(), static_cast<qsizetype>(n.size()));
        e->setObjectName(name.toLower());
        form->addRow(name + ":", e);
        fields[static_cast<size_t>(f)] = e;
    }
    QPushButton* book_ = Button("&Address Book", "addressBook");
    book_->setFocusPolicy(Qt::NoFocus);
    book_->setEnabled(false);
    layout->addWidget(book_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    auto addressField = [&](QWidget* w) -> QLineEdit* {
        for (const FormField f : {FormField::kTo, FormField::kCc, FormField::kBcc})
            if (w == fields[static_cast<size_t>(f)]) return fields[static_cast<size_t>(f)];
        return nullptr;
    };
    QPointer<QLineEdit> target;
    const auto connection =
        QObject::connect(qApp, &QApplication::focusChanged, &d, [&](QWidget*, QWidget* now) {
            target = addressField(now);
            book_->setEnabled(target != nullptr);
        });
    QObject::connect(book_, &QPushButton::clicked, &d, [&] {
        // The focus moves into the Address Book while it is open: keep the field.
        const QPointer<QLineEdit> field = target;
        if (!field) return;
        std::string joined;
        if (!RunAddressBook(book, &joined)) return;
        if (!field || joined.find_first_not_of(" \t") == std::string::npos) return;
        field->setText(ToQt(joined));
    });
    const bool ok = d.exec() == QDialog::Accepted;
    QObject::disconnect(connection);
    if (!ok) return false;
    for (size_t i = 0; i < static_cast<size_t>(FormField::kCount); ++i)
        values->values[i] = FromQt(fields[i]->text());
    return true;
}

void RunMessage(std::string_view text) {
    QMessageBox::warning(QApplication::activeWindow(), QStringLiteral("norvinet"), ToQt(text));
}

}  // namespace norv::mail
