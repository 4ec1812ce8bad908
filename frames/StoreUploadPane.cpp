#include "frames/StoreUploadPane.h"

#include "archive/ArchiveSettings.h"
#include "res/Texts.h"
#include "store/StoreUploadThread.h"

StoreUploadPane::StoreUploadPane(StoreAddress address, QWidget* parent)
    : QLabel(parent), m_address(std::move(address)) {
    setObjectName(QStringLiteral("storeBacklog"));
    setVisible(m_address.configured());
    if (m_address.configured()) start(ArchiveSettings::load().folder);
}

// The thread goes before the label: nothing it tells is posted to a pane half gone.
StoreUploadPane::~StoreUploadPane() {
    m_upload.reset();
}

void StoreUploadPane::wake() {
    if (!m_upload) return;
    const QString root = ArchiveSettings::load().folder;
    if (root != m_root)
        start(root);
    else
        m_upload->wake();
}

void StoreUploadPane::start(const QString& root) {
    m_upload.reset();
    m_root = root;
    if (root.isEmpty()) return;
    m_upload = std::make_unique<StoreUploadThread>(
        m_address, root, [this](const StoreUploadThread::Left& left) {
            QMetaObject::invokeMethod(
                this, [this, left] { tell(left.forms, left.records, left.failure); },
                Qt::QueuedConnection);
        });
}

void StoreUploadPane::tell(int forms, int records, const QString& failure) {
    setText(forms || records ? texts::kStoreBacklog.arg(forms).arg(records) : texts::kStoreAllSent);
    setToolTip(failure);
}
