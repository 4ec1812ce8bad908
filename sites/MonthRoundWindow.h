#pragma once

#include <QDate>
#include <QFutureWatcher>
#include <QWidget>
#include <memory>
#include <optional>

#include "sites/MonthRoundSource.h"

class MonthRoundModel;
class QComboBox;
class QFileSystemWatcher;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;

// The window "Сбор за месяц": one row per site with what the month's exchange records say,
// kept up to date while open, whoever writes the records (this program or a collector beside
// it). The folders are listed, the book and the records read on a worker, one reading at a
// time, so that a month of thousands of records or a slow disk never holds the window; an answer
// for a month no longer shown is dropped. The frame decides what a row's "Связь" and its forms
// open.
class MonthRoundWindow : public QWidget {
    Q_OBJECT
public:
    // With a common archive at `store`, every machine's exchanges of the month are shown.
    MonthRoundWindow(const QString& bookPath, const QString& archiveRoot,
                     const StoreAddress& store = {}, QWidget* parent = nullptr);
    // Stops the reading under way and returns at once; its answer goes nowhere.
    ~MonthRoundWindow() override;

    const QString& archiveRoot() const { return m_source->archiveRoot(); }
    QDate month() const { return m_month; }
    void setMonth(const QDate& month);
    MonthRoundModel* model() const { return m_model; }
    QTableView* view() const { return m_view; }
    // Reads the book and the records again: at once, or as soon as the reading under way ends.
    void reload();
    // Whether the rows shown are not yet those of the month and the records as they stand.
    bool reading() const { return m_awaited; }

    // How long a burst of changes in the records' folder is let settle before reading it.
    static constexpr int kSettleMs = 200;

signals:
    void connectRequested(const QString& site);
    void formsRequested(const QString& site, const QDate& month);
    // The rows now show what a reading of the month found.
    void shown();

private:
    QWidget* buildMonthBar();
    QTableView* buildTable();
    QHBoxLayout* buildButtons();
    void watchRecords();
    void fillMonths(const QList<QDate>& months);
    void stepMonth(int by);
    void watch(const QStringList& paths);
    void startReading();
    void lookingEnded();
    void readingEnded();
    void keepSelection();
    void showLoaded(const MonthRoundSource::Loaded& loaded);
    void updateButtons();
    const MonthRoundRow* currentRow() const;
    void requestForms();
    void requestConnect();

    // Shared with the worker reading it, which may outlive the window by the file it is at.
    std::shared_ptr<MonthRoundSource> m_source;
    QFutureWatcher<MonthRoundSource::Folders>* m_looking = nullptr;
    QFutureWatcher<MonthRoundSource::Loaded>* m_reading = nullptr;
    bool m_awaited = false;    // a reading's answer is still to come
    QDate m_readMonth;         // the month the reading under way is for
    bool m_readAgain = false;  // the month or its records changed while it was read
    bool m_everShown = false;
    // The row chosen, chosen again once the rows are read anew.
    struct Kept {
        QString site;
        MonthRoundRow::Kind kind;
    };
    std::optional<Kept> m_kept;
    QDate m_month;
    QDate m_newest;          // the month the list of months starts with: this one
    QList<QDate> m_offered;  // the months in that list
    MonthRoundModel* m_model = nullptr;
    QTableView* m_view = nullptr;
    QComboBox* m_months = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_connect = nullptr;
    QPushButton* m_forms = nullptr;
    QLabel* m_summary = nullptr;
    QLabel* m_callers = nullptr;  // the month's unknown callers, hidden when there are none
    QLabel* m_store = nullptr;    // the common archive's part, hidden without one
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_settle = nullptr;
};
