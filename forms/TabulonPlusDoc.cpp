#include "forms/TabulonPlusDoc.h"

#include <QFileInfo>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextEdit>

#include "files/RegularFile.h"
#include "files/SafeFile.h"
#include "files/TextFileCodec.h"
#include "forms/FileDialogs.h"
#include "forms/FileError.h"
#include "forms/FormFont.h"
#include "res/CommandIds.h"
#include "res/MessageBox.h"
#include "res/Strings.h"
#include "res/Texts.h"

namespace {

void reportFileError(const FileError& error, const QString& path) {
    tabulonMessageBox(fileErrorText(error, path), msg::MB_OK | msg::MB_ICONEXCLAMATION);
}

void reportTooLarge() {
    tabulonMessageBox(res::loadString(id::AFX_IDP_FILE_TOO_LARGE), msg::MB_OK);
}

int lineOf(const QString& raw, qsizetype index) {
    int line = 1;
    for (qsizetype i = 0; i < index; ++i) {
        const char16_t c = raw[i].unicode();
        if (c == 0x2029 || c == 0x2028 || c == u'\n') ++line;
    }
    return line;
}

}  // namespace

CTabulonPlusDoc::CTabulonPlusDoc(QObject* parent)
    : QObject(parent), m_text(new QTextDocument(this)) {
    // The text is laid out, shown and printed in the form's face, whichever window shows it.
    m_text->setDefaultFont(formFont());
    connect(m_text, &QTextDocument::modificationChanged, this, &CTabulonPlusDoc::showModifiedState);
}

// Clearing a document can announce a change of state it does not keep, so the marks always
// follow what the document says now.
void CTabulonPlusDoc::showModifiedState() {
    const bool modified = IsModified();
    for (QMdiSubWindow* frame : std::as_const(m_frames)) {
        // The window follows the mark of its view, which follows the document's signal.
        if (QWidget* view = frame->widget()) view->setWindowModified(modified);
        frame->setWindowModified(modified);
    }
    if (modified != m_shownModified) {
        m_shownModified = modified;
        emit modifiedChanged(modified);
    }
}

CTabulonPlusDoc::~CTabulonPlusDoc() = default;

void CTabulonPlusDoc::SetModifiedFlag(bool modified) {
    m_text->setModified(modified);
    showModifiedState();
}

bool CTabulonPlusDoc::IsModified() const {
    return m_text->isModified();
}

void CTabulonPlusDoc::setTitle(const QString& title) {
    m_title = title;
    updateFrameTitles();
}

void CTabulonPlusDoc::setPathName(const QString& path) {
    m_pathName = QFileInfo(path).absoluteFilePath();
    setTitle(QFileInfo(path).fileName());
    emit pathNameChanged(m_pathName);
}

bool CTabulonPlusDoc::OnNewDocument() {
    m_text->clear();
    SetModifiedFlag(false);
    return true;
}

// Only a regular file is read: a pipe would hold the open until a writer comes, a device may
// never end. A file larger than a form of the longest text written with a CR LF after every
// character cannot fit, and is refused before any of it is read.
bool CTabulonPlusDoc::onOpenDocument(const QString& path) {
    constexpr qint64 kMaxFormBytes = 2 * qint64(kMaxFormChars);
    const RegularFile::Result file = RegularFile::read(path, kMaxFormBytes);
    switch (file.failure) {
        case RegularFile::Failure::None:
            break;
        case RegularFile::Failure::TooLarge:
            reportTooLarge();
            return false;
        default:  // a folder is refused as the framework refuses it, a pipe or device by kind
            reportFileError(classifyOpenError(path, file.error), path);
            return false;
    }
    const QByteArray& bytes = file.bytes;
    const QString text = TextFileCodec::decode(bytes);
    if (text.size() > kMaxFormChars) {
        reportTooLarge();
        return false;
    }
    // Through a view when there is one: the view holds back its own bookkeeping while the whole
    // text changes, which a change made behind its back makes it do piece by piece later.
    auto* view = m_frames.isEmpty() ? nullptr : qobject_cast<QTextEdit*>(m_frames[0]->widget());
    if (view)
        view->setPlainText(text);
    else
        m_text->setPlainText(text);
    SetModifiedFlag(false);
    return true;
}

// The operator decides whether the characters cp1251 has no byte for may be written as "?".
bool CTabulonPlusDoc::confirmUnrepresentable(const QString& raw, qsizetype at) const {
    const bool pair = raw[at].isHighSurrogate() && at + 1 < raw.size();
    const QString text = texts::unrepresentableQuestion(
        raw.mid(at, pair ? 2 : 1),
        pair ? QChar::surrogateToUcs4(raw[at], raw[at + 1]) : raw[at].unicode(), lineOf(raw, at));
    return tabulonMessageBox(text, msg::MB_YESNO | msg::MB_ICONQUESTION) == msg::IDYES;
}

bool CTabulonPlusDoc::onSaveDocument(const QString& path) {
    const QString raw = m_text->toRawText();
    qsizetype unrepresentable = -1;
    const QByteArray bytes = TextFileCodec::encode(raw, '?', &unrepresentable);
    if (unrepresentable >= 0 && !confirmUnrepresentable(raw, unrepresentable)) return false;

    // A failed save leaves the old file whole where its folder allows (files/SafeFile.h).
    const SafeFile::Result saved = SafeFile::write(path, bytes);
    if (!saved.ok) {
        reportFileError(classifySaveError(path, saved.error), path);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

QString CTabulonPlusDoc::proposedFileName() const {
    if (!m_pathName.isEmpty()) return m_pathName;
    QString name = m_title;
    const qsizetype cut = name.indexOf(QRegularExpression(QStringLiteral("[ #%;/\\\\]")));
    if (cut >= 0) name.truncate(cut);
    return name;
}

bool CTabulonPlusDoc::doSave(const QString& path, bool replace) {
    QString name = path;
    if (name.isEmpty()) {
        QWidget* owner = m_frames.isEmpty() ? nullptr : m_frames.constFirst();
        name = saveFormPath(owner, proposedFileName());
        if (name.isEmpty()) return false;
    }
    if (!onSaveDocument(name)) return false;
    if (replace) setPathName(name);
    return true;
}

bool CTabulonPlusDoc::doFileSave() {
    const QFileInfo info(m_pathName);
    if (m_pathName.isEmpty() || (info.exists() && !info.isWritable())) return doSave({});
    return doSave(m_pathName);
}

bool CTabulonPlusDoc::saveModified() {
    if (!IsModified()) return true;
    QString name = m_pathName.isEmpty() ? m_title : QFileInfo(m_pathName).fileName();
    if (name.isEmpty()) name = res::loadString(id::AFX_IDS_UNTITLED);
    switch (tabulonMessageBox(res::loadString(id::AFX_IDP_ASK_TO_SAVE).arg(name),
                              msg::MB_YESNOCANCEL)) {
        case msg::IDYES:
            return doFileSave();
        case msg::IDNO:
            return true;
        default:
            return false;
    }
}

std::span<const MemberCommand<CTabulonPlusDoc>> CTabulonPlusDoc::commands() {
    using D = CTabulonPlusDoc;
    static const MemberCommand<D> commands[] = {
        {id::ID_FILE_SAVE, &D::onFileSave},
        {id::ID_FILE_SAVE_AS, &D::onFileSaveAs},
        {id::ID_FILE_CLOSE, &D::onFileClose},
    };
    return commands;
}

bool CTabulonPlusDoc::onCommand(unsigned id) {
    const MemberCommand<CTabulonPlusDoc>* command = findMemberCommand(commands(), id);
    if (!command) return false;
    (this->*command->run)();
    return true;
}

bool CTabulonPlusDoc::isCommandEnabled(unsigned id) const {
    return findMemberCommand(commands(), id) != nullptr;
}

void CTabulonPlusDoc::addFrame(QMdiSubWindow* frame) {
    m_frames.append(frame);
    frame->setWindowModified(IsModified());
    updateFrameTitles();
}

void CTabulonPlusDoc::removeFrame(QMdiSubWindow* frame) {
    if (!m_frames.removeOne(frame)) return;
    updateFrameTitles();
    if (m_frames.isEmpty()) emit closed(this);
}

// One window shows the bare title; several are told apart as "title:1", "title:2", ...
void CTabulonPlusDoc::updateFrameTitles() {
    const QString marker = QStringLiteral("[*]");
    if (m_frames.size() == 1) {
        m_frames.constFirst()->setWindowTitle(m_title + marker);
        return;
    }
    for (qsizetype i = 0; i < m_frames.size(); ++i)
        m_frames[i]->setWindowTitle(m_title + QLatin1Char(':') + QString::number(i + 1) + marker);
}
