#pragma once

#include <QString>
#include <memory>

class IndexWriter;

// Tells an archive's index of each form this program writes as soon as it is written, so that
// the archive window finds it without looking for it. The form is handed to the index's writer
// and added on its thread, after the look at the files it may be doing; the archive's thread
// goes on at once. A form it could not add is found by the window's next look at the files.
class IndexFeed {
public:
    explicit IndexFeed(QString root);
    ~IndexFeed();
    void add(const QString& path);

private:
    QString m_root;
    std::shared_ptr<IndexWriter> m_writer;
};
