#include "res/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace {

MessageBoxHook& hook() {
    static MessageBoxHook h;
    return h;
}

QMessageBox::Icon iconFor(unsigned style) {
    switch (style & msg::MB_ICONMASK) {
        case msg::MB_ICONERROR:
            return QMessageBox::Critical;
        case msg::MB_ICONQUESTION:
            return QMessageBox::Question;
        case msg::MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::Warning;  // the exclamation mark, also when none is named
    }
}

QMessageBox::StandardButtons buttonsFor(unsigned style) {
    switch (style & msg::MB_TYPEMASK) {
        case msg::MB_OKCANCEL:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case msg::MB_YESNOCANCEL:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case msg::MB_YESNO:
            return QMessageBox::Yes | QMessageBox::No;
        default:
            return QMessageBox::Ok;
    }
}

int answerFor(int button, unsigned style) {
    switch (button) {
        case QMessageBox::Ok:
            return msg::IDOK;
        case QMessageBox::Yes:
            return msg::IDYES;
        case QMessageBox::No:
            return msg::IDNO;
        case QMessageBox::Cancel:
            return msg::IDCANCEL;
        default:  // closed by Esc or the close box
            return (style & msg::MB_TYPEMASK) == msg::MB_OK ? msg::IDOK : msg::IDCANCEL;
    }
}

// The operator reads Russian: the buttons speak it too, whatever the system's language.
void nameButtons(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, const char*> names[] = {
        {QMessageBox::Ok, "OK"},
        {QMessageBox::Cancel, "Отмена"},
        {QMessageBox::Yes, "&Да"},
        {QMessageBox::No, "&Нет"},
    };
    for (const auto& [which, name] : names)
        if (QAbstractButton* button = box.button(which)) button->setText(QString::fromUtf8(name));
}

}  // namespace

void setMessageBoxHook(MessageBoxHook h) {
    hook() = std::move(h);
}

int tabulonMessageBox(const QString& text, unsigned style) {
    if (hook()) return hook()(text, style);
    QMessageBox box(iconFor(style), QStringLiteral("Tabulon"), text, buttonsFor(style),
                    QApplication::activeWindow());
    nameButtons(box);
    return answerFor(box.exec(), style);
}
