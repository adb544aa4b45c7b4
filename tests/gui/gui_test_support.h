// Helpers of the GUI tests: driving the real widgets with key and input-method events, reading
// a document's text, converting test text (UTF-8) with iconv.
#pragma once

#include <iconv.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTimer>
#include <functional>
#include <string>
#include <string_view>

#include "editing/edit_view.h"
#include "gui/editor/edit_widget.h"

namespace norv::qt::testing {

// UTF-8 text in another code, through iconv (an outside reference for the editor's codecs).
inline std::string Iconv(const char* to, std::string_view utf8) {
    iconv_t cd = iconv_open(to, "UTF-8");
    std::string out(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* o = out.data();
    size_t outLeft = out.size();
    iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

inline void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
}

// ASCII typed on the keyboard, one key event per character.
inline void TypeKeys(QWidget* w, std::string_view ascii) {
    for (char c : ascii) {
        const QChar ch = QLatin1Char(c);
        Key(w, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
    }
}

// Text committed by an input method.
inline void Commit(QWidget* w, const QString& text) {
    QInputMethodEvent preedit(text, {});
    QApplication::sendEvent(w, &preedit);
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(w, &commit);
}

// The document's text with "\n" between lines, in its own bytes.
inline std::string DocumentBytes(editing::CElwView& view) {
    view.Sync();
    std::string out;
    for (const document::LineRecord* r = view.doc().lines().first(); r; r = r->next) {
        out.append(r->text(), r->contentLength());
        if (r->next) out += '\n';
    }
    return out;
}

// Runs `action` on the next modal dialog of type D that opens (once).
template <typename D>
class OnModal {
  public:
    explicit OnModal(std::function<void(D&)> action) : action_(std::move(action)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
            if (!d || done_) return;
            done_ = true;
            action_(*d);
        });
        timer_.start();
    }
    bool done() const { return done_; }

  private:
    std::function<void(D&)> action_;
    QTimer timer_;
    bool done_ = false;
};

}  // namespace norv::qt::testing
