#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThreadPool>
#include <future>

#include "index/FormListModel.h"
#include "index/IndexUpdater.h"
#include "index/IndexWriter.h"
#include "tests/index/IndexFixture.h"

// What the archive window asks of the index off its own thread: nothing it starts is waited
// for, and an answer or an end that comes for what it asked before is not taken for the last.
namespace {

class OffThread;

struct Case {
    const char* what;
    void (OffThread::*check)();
};

class OffThread : public IndexFixture, public testing::WithParamInterface<Case> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        static int argc = 1;
        static char name[] = "index_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) static QCoreApplication app(argc, argv);
        for (int i = 0; i < 3; ++i)
            write(QStringLiteral("2026-12/f%1.txt").arg(i), QStringLiteral("форма %1\n").arg(i));
        ASSERT_TRUE(m_db.open(indexFile()));
        ASSERT_FALSE(reconcile().failed);
    }

    template <typename Done>
    static bool waitFor(Done done) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return done();
    }

    // The index's writer held at a gate until `open` is called: what is posted after it waits.
    std::function<void()> gateWriter() {
        auto gate = std::make_shared<std::promise<void>>();
        IndexWriter::of(indexFile())->post(
            [wait = gate->get_future().share()](IndexDatabase&) { wait.wait(); });
        return [gate] { gate->set_value(); };
    }
public:
    void staleSearchIsDropped() {
        // Many texts for a term without a trigram to read through, none holding it.
        ASSERT_TRUE(m_db.begin());
        for (int i = 0; i < 3000; ++i) {
            FormRecord r;
            r.path = QStringLiteral("many/%1.txt").arg(i);
            ASSERT_TRUE(m_db.put(r, QByteArray(2000, 'x')));
        }
        ASSERT_TRUE(m_db.commit());
        FormListModel list(root());
        list.setIndexFile(indexFile());
        list.show(QStringLiteral("ъя"), {});
        list.show(QStringLiteral("форма 2"), {});
        ASSERT_TRUE(waitFor([&] { return !list.isBusy(); }));
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        ASSERT_EQ(list.rowCount(), 1);
        EXPECT_TRUE(list.pathAt(0).endsWith(QStringLiteral("2026-12/f2.txt")));
    }

    void closingDoesNotWait() {
        const auto open = gateWriter();
        auto* updater = new IndexUpdater;
        updater->start(root(), indexFile());
        EXPECT_TRUE(updater->isRunning());
        delete updater;  // waiting for the look here would never return
        open();
    }

    void staleEndKeepsTheNewLookRunning() {
        IndexUpdater updater;
        int finished = 0;
        QObject::connect(&updater, &IndexUpdater::finished, [&] { ++finished; });
        const auto first = gateWriter();
        updater.start(root(), indexFile());
        updater.stop();
        const auto second = gateWriter();
        updater.start(root(), indexFile());
        first();  // the stopped look ends; the new one waits at the second gate
        QElapsedTimer settle;
        settle.start();
        waitFor([&] { return settle.elapsed() > 200; });
        EXPECT_TRUE(updater.isRunning());
        EXPECT_EQ(finished, 0);
        second();
        ASSERT_TRUE(waitFor([&] { return !updater.isRunning(); }));
        EXPECT_EQ(finished, 1);
    }

    void stoppedLookKeepsTheForms() {
        const std::atomic<bool> stop{true};
        Reconciler r(m_db, root());
        r.setStop(&stop);
        EXPECT_TRUE(r.run().stopped);
        EXPECT_EQ(m_db.formCount(), 3);
        EXPECT_TRUE(ArchiveScan::scan(root(), {}, &stop).stopped);
    }

    void failedCountSaysSo() {
        const QString garbage = m_dir.filePath(QStringLiteral("garbage.sqlite"));
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(8192, 'Z'));
        f.close();
        IndexDatabase db;
        db.openToRead(garbage);
        EXPECT_FALSE(FormQuery::count(db, {}).has_value());
        EXPECT_FALSE(db.formCount().has_value());
        EXPECT_FALSE(db.error().isEmpty());
    }
};

const Case kCases[] = {
    {"a search asked for before the last is dropped, though it ends later",
     &OffThread::staleSearchIsDropped},
    {"closing during a look returns without waiting for it", &OffThread::closingDoesNotWait},
    {"the end of a look stopped and started again does not end the new one",
     &OffThread::staleEndKeepsTheNewLookRunning},
    {"a look stopped before it has seen every folder keeps the index's forms",
     &OffThread::stoppedLookKeepsTheForms},
    {"a count the index cannot give says so", &OffThread::failedCountSaysSo},
};

TEST_P(OffThread, Holds) {
    SCOPED_TRACE(GetParam().what);
    (this->*GetParam().check)();
}

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.what;
}

std::string caseName(const testing::TestParamInfo<Case>& info) {
    static const char* const names[] = {"StaleSearch", "ClosingDuringALook", "StaleEnd",
                                        "StoppedLook", "FailedCount"};
    return names[info.index];
}

INSTANTIATE_TEST_SUITE_P(Index, OffThread, testing::ValuesIn(kCases), caseName);

}  // namespace
