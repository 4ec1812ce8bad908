#pragma once

#include <QDate>
#include <QWidget>

#include "sites/MonthRoundSource.h"

class MonthRoundModel;
class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;

// The window "Сбор за месяц": one row per site with what the month's exchange records say,
// kept up to date while open, whoever writes the records (this program or a collector beside
// it). The frame decides what a row's "Связь" and its forms open.
class MonthRoundWindow : public QWidget {
    Q_OBJECT
public:
    MonthRoundWindow(const QString& bookPath, const QString& archiveRoot,
                     QWidget* parent = nullptr);

    const QString& archiveRoot() const { return m_source.archiveRoot(); }
    QDate month() const { return m_month; }
    void setMonth(const QDate& month);
    MonthRoundModel* model() const { return m_model; }
    QTableView* view() const { return m_view; }
    // Reads the book and the records again at once.
    void reload();

    // How long a burst of changes in the records' folder is let settle before reading it.
    static constexpr int kSettleMs = 200;

signals:
    void connectRequested(const QString& site);
    void formsRequested(const QString& site, const QDate& month);

private:
    QWidget* buildMonthBar();
    void fillMonths();
    void stepMonth(int by);
    void watch();
    void showLoaded(const MonthRoundSource::Loaded& loaded);
    void updateButtons();
    const MonthRoundRow* currentRow() const;
    void requestForms();
    void requestConnect();

    MonthRoundSource m_source;
    QDate m_month;
    MonthRoundModel* m_model = nullptr;
    QTableView* m_view = nullptr;
    QComboBox* m_months = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_connect = nullptr;
    QPushButton* m_forms = nullptr;
    QLabel* m_summary = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_settle = nullptr;
};
