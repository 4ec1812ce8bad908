#include "frames/PieceWindows.h"

#include <QTextDocument>
#include <QTimer>
#include <algorithm>

#include "acquisition/ReceiveControl.h"
#include "forms/FormTemplate.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "platform/MemoryRelease.h"
#include "res/Texts.h"

PieceWindows::PieceWindows(ReceiveControl& rc, CFormTemplate& forms, Status status, QObject* parent)
    : QObject(parent), m_rc(rc), m_forms(forms), m_status(std::move(status)) {}

void PieceWindows::clear() {
    m_pieces.clear();
    m_ended = false;
    m_archivedBelow = 0;
    m_archiveFailed = false;
    m_closed = 0;
}

// Forms cut short one after another are the pieces of one text without form end: a form cut
// short by a pass end comes again, longer, under its number; the next number comes only when
// the text was cut at the piece limit.
void PieceWindows::notePiece(int number, bool complete, bool archiving) {
    if (m_ended) {
        m_pieces.clear();
        m_ended = false;
    }
    auto* view = qobject_cast<CTabulonPlusView*>(m_rc.m_pView);
    CTabulonPlusDoc* doc = view ? view->getDocument() : nullptr;
    const Piece piece{number, doc, doc ? doc->getTextDocument()->revision() : 0};
    if (!m_pieces.isEmpty() && m_pieces.constLast().number == number)
        m_pieces.last() = piece;
    else
        m_pieces.append(piece);
    m_ended = complete;
    if (m_pieces.size() < 3) return;  // only a first and a last so far
    if (!archiving) {
        // Nothing would be left of a closed piece: every window stays, and the operator knows.
        m_status(texts::kStreamPiecesKeptNoArchive);
        return;
    }
    if (m_archiveFailed) {
        m_status(texts::kStreamPiecesKeptArchiveFailed);
        return;
    }
    closeArchived();
}

// Every form handed to the archive before a written one has been written or has failed, and
// a failure is told first: so with no failure so far, the forms below `number` are on disk.
void PieceWindows::archived(int number, bool failed) {
    if (failed) {
        if (!m_archiveFailed && m_pieces.size() > 2)
            m_status(texts::kStreamPiecesKeptArchiveFailed);
        m_archiveFailed = true;
        return;
    }
    m_archivedBelow = std::max(m_archivedBelow, number);
    closeArchived();
}

void PieceWindows::closeArchived() {
    if (m_archiveFailed || m_pieces.size() < 3) return;
    auto* receiving = qobject_cast<CTabulonPlusView*>(m_rc.m_pView);
    int closed = 0;
    for (qsizetype i = 1; i + 1 < m_pieces.size();) {
        Piece& piece = m_pieces[i];
        if (piece.number >= m_archivedBelow) break;
        if (CTabulonPlusDoc* doc = piece.doc) {
            // A window the operator has edited or saved is his: it stays.
            const bool touched = doc->getTextDocument()->revision() != piece.revision ||
                                 !doc->getPathName().isEmpty() ||
                                 (receiving && receiving->getDocument() == doc);
            if (!touched) {
                m_forms.destroyDocument(doc);
                ++closed;
            }
        }
        m_pieces.removeAt(i);
    }
    if (closed == 0) return;
    m_closed += closed;
    m_status(texts::kStreamPiecesClosed.arg(m_closed));
    // The closed forms' texts go once their windows are deleted; a stream that runs all night
    // must not keep their pages.
    QTimer::singleShot(0, this, [] { releaseFreedMemory(); });
}
