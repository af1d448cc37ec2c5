// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The log page: the operator picks a disk or partition, a range of at most
// 30 days and a major and minor log type; "Check" searches the device logs,
// the rows fill a twelve-column table (column 7 hidden) and "Export" writes
// the shown rows to an XML file.
#include <QEvent>
#include <QList>
#include <QStandardItem>
#include <QStringList>

#include <memory>
#include <vector>

#include "search/LogSearch.h"
#include "ziraz/controls.h"

class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QStandardItemModel;
class QToolButton;
class QVBoxLayout;
class CLogDiskBox;

namespace ziraz {
class RangeDateTimeEdit;
class TableView;
}  // namespace ziraz

namespace Ui {
class LogWidget {
public:
    QGridLayout* gridLayout_2 = nullptr;
    QWidget* widget = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QHBoxLayout* horizontalLayout_3 = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    ziraz::Label* label = nullptr;
    ziraz::RangeDateTimeEdit* rangeDateTimeEdit = nullptr;
    QHBoxLayout* horizontalLayout_2 = nullptr;
    ziraz::Label* label_2 = nullptr;
    CLogDiskBox* diskTreeCombox = nullptr;
    QToolButton* checkBtn = nullptr;
    QToolButton* exportBtn = nullptr;
    QHBoxLayout* horizontalLayout_6 = nullptr;
    QHBoxLayout* horizontalLayout_4 = nullptr;
    ziraz::Label* label_3 = nullptr;
    ziraz::ComboBox* logTypeCombobox = nullptr;
    QHBoxLayout* horizontalLayout_5 = nullptr;
    ziraz::Label* label_4 = nullptr;
    ziraz::ComboBox* minorTypeCombox = nullptr;
    ziraz::TableView* tableView = nullptr;

    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};
}  // namespace Ui

// A batch of table rows posted to the page (column order of the table).
class LogRowsEvent : public QEvent {
public:
    static const QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 101);
    explicit LogRowsEvent(QList<QList<QStandardItem*> > rows) : QEvent(kType), m_rows(std::move(rows)) {}
    ~LogRowsEvent() override;
    QList<QList<QStandardItem*> > takeRows();

private:
    QList<QList<QStandardItem*> > m_rows;
};

struct PhysicalDiskLetters {
    int driveNumber = -1;
    char letters[26] = {};
    int letterCount = 0;
};

class LogWidget : public ziraz::Widget {
    Q_OBJECT
public:
    static const int kMaxDrives = 20;

    explicit LogWidget(QWidget* parent = nullptr);
    ~LogWidget() override;

    Ui::LogWidget* ui() const { return m_pUi; }
    QStandardItemModel* model() const { return m_pModel; }
    CLogSearch& logSearch() { return m_logSearch; }
    bool noLogShown() const { return m_bNoLogShown; }
    // The minor-type codes offered for a major type 1..4.
    const std::vector<int>& minorTypes(int major) const;
    // The paths that the current selector item stands for; empty with a
    // reason in `message` when it stands for none.
    QStringList selectedPaths(QString* message) const;

signals:
    void signalStopChase();

public slots:
    void onMainTypeChange();
    void onQueryLocalLog();
    void onSetLogInfoNullToView();
    void onSetLogInfoToView(QList<QList<QStandardItem*> > rows, int first, int count);
    void onCancelFindLog();
    void onShowCBoxTip(int iIndex);
    void onReloadDisk();
    void onBackupClicked();
    // The name the export offers: a file in the folder the program saves to
    // (the download folder of the settings; the home folder while that is
    // not there), named after the time of the export.
    static QString suggestedBackupPath();
    void onBackUp(QString strXmlName);
    void onWriteOver(int code);

protected:
    void customEvent(QEvent* event) override;

private:
    void initUi();
    void loadPhysicalDisks();
    void resetTable();
    void appendRows(QList<QList<QStandardItem*> >& rows);
    void showTip(const QString& text, int pictureType, int displayMs = 2000);

    CLogSearch m_logSearch;
    bool m_bNoLogShown = true;
    int m_iShownRows = 0;
    std::vector<int> m_alarmMinorTypes;
    std::vector<int> m_exceptionMinorTypes;
    std::vector<int> m_operationMinorTypes;
    std::vector<int> m_informationMinorTypes;
    Ui::LogWidget* m_pUi = nullptr;
    QStandardItemModel* m_pModel = nullptr;
    QStringList m_tipPictures;
    PhysicalDiskLetters m_physicalDisks[kMaxDrives];
    // The time records of the running query (the condition points at them).
    std::unique_ptr<HD_FILE_TIME> m_queryStart;
    std::unique_ptr<HD_FILE_TIME> m_queryEnd;
};
