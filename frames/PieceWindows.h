#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

struct ReceiveControl;
class CFormTemplate;
class CTabulonPlusDoc;

// A text without form end comes as pieces, each in a window of its own (UI thread only). The
// first and the last stay open; those between close once their pieces are in the archive, so a
// stream that runs all night does not fill the memory with windows. A window the operator has
// edited or saved, and the receiving one, never close; with no archive, or one that failed,
// none closes, and the status line says why.
class PieceWindows : public QObject {
    Q_OBJECT
public:
    using Status = std::function<void(const QString&)>;

    PieceWindows(ReceiveControl& rc, CFormTemplate& forms, Status status,
                 QObject* parent = nullptr);

    // A new exchange begins: nothing is kept of the last one's pieces.
    void clear();
    // The form `number` was delivered into the receiving window, cut short unless `complete`;
    // `archiving` tells whether an archive keeps the forms.
    void notePiece(int number, bool complete, bool archiving);
    // The archive wrote every form numbered below `number`, or failed.
    void archived(int number, bool failed);

private:
    void closeArchived();

    struct Piece {
        int number;
        QPointer<CTabulonPlusDoc> doc;
        int revision;  // of its text as delivered: an edit by the operator keeps the window
    };

    ReceiveControl& m_rc;
    CFormTemplate& m_forms;
    Status m_status;
    QList<Piece> m_pieces;
    bool m_ended = false;     // the form end came after them
    int m_archivedBelow = 0;  // every form numbered below this is in the archive
    bool m_archiveFailed = false;
    int m_closed = 0;
};
