#pragma once

#include <QList>
#include <QObject>

class CFormTemplate;
class CTabulonPlusDoc;
class CTabulonPlusView;
class CommandMenu;
class CommandRouter;
class QAction;
class QMdiArea;
class QWidget;
struct ReceiveControl;

// The form windows in the main window's MDI area: the document template that makes and closes
// them, the "Окно" menu's list of them, arranging them, and the frame's title, which names the
// active one. Deleting this object takes every form down: do it while the block still lives.
class FormWindows : public QObject {
    Q_OBJECT
public:
    FormWindows(QMdiArea* area, ReceiveControl& block, QWidget* frame);

    QMdiArea* mdiArea() const { return m_area; }
    CFormTemplate& formTemplate() const { return *m_template; }
    bool anyForm() const;
    // The active form and its view; nullptr also while the window of a form that has just
    // closed still stands in the area until it is deleted.
    CTabulonPlusDoc* liveActiveDocument() const;
    CTabulonPlusView* liveActiveView() const;

    // A form file opened from a window of its own ("Архив форм"): the frame comes to the front
    // with it.
    void openInFront(const QString& path);

    // New Window, Cascade, Tile, Arrange Icons, and the active form's own commands.
    void addCommands(CommandRouter& commands);
    // Lists the open windows after the fixed items of `menu`'s "Окно" popup as it opens.
    void listWindowsIn(CommandMenu* menu);
    // "Tabulon", then the active window's own title, which tells the windows onto one form
    // apart ("title:2").
    void updateTitle();

private:
    void fillWindowMenu();
    void arrangeIcons();

    QWidget* m_frame;
    QMdiArea* m_area;
    CFormTemplate* m_template;
    CommandMenu* m_windowMenu = nullptr;
    QList<QAction*> m_windowListActions;
};
