#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "forms/MemberCommand.h"

class QMdiSubWindow;
class QTextDocument;

// One form: its text (one QTextDocument shared by every window on the form), its title, its
// file, and the windows that show it. The form knows its windows only as MDI windows holding a
// text view; closing them, with their questions, is the document template's business.
class CTabulonPlusDoc : public QObject {
    Q_OBJECT
public:
    // A form file holds at most as many characters as a view does.
    static constexpr qsizetype kMaxFormChars = 16'777'215;

    explicit CTabulonPlusDoc(QObject* parent = nullptr);
    ~CTabulonPlusDoc() override;

    QTextDocument* getTextDocument() const { return m_text; }

    void SetModifiedFlag(bool modified = true);
    bool IsModified() const;

    QString getTitle() const { return m_title; }
    void setTitle(const QString& title);
    QString getPathName() const { return m_pathName; }
    void setPathName(const QString& path);  // the title becomes the file's name

    bool OnNewDocument();
    bool onOpenDocument(const QString& path);
    bool onSaveDocument(const QString& path);

    // Saves under `path`, or asks for a name first when `path` is empty (Save As).
    bool doSave(const QString& path, bool replace = true);
    bool doFileSave();  // Save: asks for a name when the form has no file yet
    // The question before a modified form is closed; false when the operator cancelled.
    bool saveModified();

    // The name proposed in Save As: the file's path, or the title cut before the first
    // character that cannot stand in a file name.
    QString proposedFileName() const;

    // The commands the form carries out: Save, Save As, Close.
    static std::span<const MemberCommand<CTabulonPlusDoc>> commands();
    bool onCommand(unsigned id);
    bool isCommandEnabled(unsigned id) const;

    const QList<QMdiSubWindow*>& frames() const { return m_frames; }
    void addFrame(QMdiSubWindow* frame);
    void removeFrame(QMdiSubWindow* frame);

signals:
    void modifiedChanged(bool modified);
    void pathNameChanged(const QString& path);
    // File → Close was chosen on this form: the template asks the questions and closes it.
    void closeRequested(CTabulonPlusDoc* doc);
    // The last window left: the form is no longer open.
    void closed(CTabulonPlusDoc* doc);

private:
    void onFileSave() { doFileSave(); }
    void onFileSaveAs() { doSave({}); }
    void onFileClose() { emit closeRequested(this); }
    void updateFrameTitles();
    void showModifiedState();
    bool confirmUnrepresentable(const QString& raw, qsizetype at) const;

    QTextDocument* m_text;
    QString m_title;
    QString m_pathName;
    QList<QMdiSubWindow*> m_frames;
    bool m_shownModified = false;
};
