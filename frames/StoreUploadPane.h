#pragma once

#include <QLabel>
#include <memory>

#include "store/StoreAddress.h"

class StoreUploadThread;

// The status bar's pane of the common archive: how many forms and records of this machine's
// archive the store lacks still, the last failure as its tip. It owns the windows' upload,
// which runs on a thread of its own and is woken after each exchange; the pane only shows what
// that thread tells. Hidden, and nothing sent, without a store.
class StoreUploadPane : public QLabel {
    Q_OBJECT
public:
    explicit StoreUploadPane(StoreAddress address, QWidget* parent = nullptr);
    // Stops the upload: at most one wait on the server (StoreUploadThread::kTimeoutMs).
    ~StoreUploadPane() override;

    // Sends what the last exchange archived; follows the archive folder chosen since.
    void wake();

private:
    void start(const QString& root);
    void tell(int forms, int records, const QString& failure);

    StoreAddress m_address;
    QString m_root;
    std::unique_ptr<StoreUploadThread> m_upload;
};
