#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The settings dialog "Настройки": port, calculator type and speed. The object lives as long as
// the main frame; its window exists only while DoModal runs and is built afresh each time, so
// between showings only the three strings remain. The dialog checks nothing: the connect
// command rejects what it does not know.
class CSettingsDlg {
public:
    // Sets the defaults, then replaces them with the values of the file at g_strIniPath when it
    // can be read and understood; failures are shown through TabulonMessageBox.
    CSettingsDlg();

    // Shows the dialog modally over `owner` (the active window when null). msg::IDOK takes the
    // three edit texts into the strings; msg::IDCANCEL leaves them as they were.
    int DoModal(QWidget* owner = nullptr);

    QString m_strPort;
    QString m_strDevice;
    QString m_strRate;
};

// The first item, from the top, that begins with `text` regardless of letter case; -1 if none.
int presetItemIndex(const QStringList& items, const QString& text);
