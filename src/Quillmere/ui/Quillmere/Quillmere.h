// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one top-level window of KEL: title bar, navigation bar and a stack of
// seven pages. It builds every page, places them, connects them with each
// other, and handles the keys, the page change, the cover and the close
// request. Before it builds anything it makes sure "DESetup.xml" exists and
// installs the cipher keys derived from it, and it reads the map key.
#include <QMap>

#include "ziraz/mainwindow.h"

class QGridLayout;
class QHBoxLayout;
class QLayout;
class QVBoxLayout;
class OperateSelWidget;
class TitleBar;

namespace ziraz {
class StackedWidget;
class Widget;
}  // namespace ziraz

class Quillmere : public ziraz::MainWindow {
    Q_OBJECT
public:
    // Page bits and areas; a page-layout key is a page bit OR an area.
    enum PageBit { PagePlayback = 1, PageLog = 2, PageSetting = 4, PageTrack = 8, PageEvidence = 16, PageAlarm = 32 };
    enum Area { AreaLeft = 32, AreaRightTop = 128, AreaRightBottom = 256 };

    explicit Quillmere(QWidget* parent = nullptr);
    ~Quillmere() override;

    // Version line of the about box.
    QString version() const;

    OperateSelWidget* operateSelWidget() const { return m_operateSel; }
    TitleBar* titleBar() const { return m_titleBar; }
    ziraz::StackedWidget* stackedWidget() const { return m_form->stackedWidget; }
    QWidget* vehicleDataPanel() const { return m_vehicleData; }
    QWidget* playbackControlArea() const { return m_playbackArea; }
    QWidget* settingPage() const { return m_settingPage; }
    QWidget* playbackSearchBar() const { return m_playbackSearchBar; }
    QWidget* logPage() const { return m_logPage; }
    QWidget* alarmPage() const { return m_alarmPage; }
    QWidget* trackPage() const { return m_trackPage; }
    QWidget* evidenceSearchBar() const { return m_evidenceSearchBar; }
    QWidget* evidenceControlArea() const { return m_evidenceArea; }
    QWidget* evidenceTimeAxis() const { return m_evidenceTimeAxis; }
    int currentNavigationIndex() const { return m_navIndex; }
    // The layout of a page-layout key, null when the key is not in the map.
    QLayout* pageLayout(int key) const { return m_pageLayouts.value(key, nullptr); }
    QList<int> pageLayoutKeys() const { return m_pageLayouts.keys(); }

signals:
    void signalGetHelp();
    void singalTabChanged();
    void signalCheckUpdate();
    void signalKeyFast();
    void signalKeySlow();
    void signalKeyPlayAndPause();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void onTabChanged();
    void onEnableCover(bool on);

private:
    struct Form {
        QGridLayout* gridLayout = nullptr;
        QHBoxLayout* titleLayout = nullptr;
        QHBoxLayout* horizontalLayout_3 = nullptr;
        QHBoxLayout* operateSelLayout = nullptr;
        ziraz::StackedWidget* stackedWidget = nullptr;
        QWidget* playbackPage = nullptr;
        QHBoxLayout* playbackPageLeftLayout = nullptr;
        QVBoxLayout* playbackPageRightTopLayout = nullptr;
        QVBoxLayout* playbackPageRightBottomLayout = nullptr;
        QWidget* evidencePlaybackPage = nullptr;
        QHBoxLayout* evidencepPlaybackPageLeftLayout = nullptr;
        QVBoxLayout* evidencepPlaybackPageRightTopLayout = nullptr;
        QVBoxLayout* evidencepPlaybackPageRightBottomLayout = nullptr;
        QWidget* TrackPlaybackPage = nullptr;
        QHBoxLayout* TrackPlaybackLayout = nullptr;
        QWidget* logPage = nullptr;
        QHBoxLayout* logPageLayout = nullptr;
        QWidget* alarmPage = nullptr;
        QHBoxLayout* alarmPageLayout = nullptr;
        QWidget* settingPage = nullptr;
        QHBoxLayout* settingPageLayout = nullptr;
        QWidget* capturePlaybackPage = nullptr;
        QHBoxLayout* capturePlaybackLeftLayout = nullptr;
        QVBoxLayout* capturePlaybackRightTopLayout = nullptr;
        QVBoxLayout* capturePlaybackRightBottomLayout = nullptr;
        void setupUi(QWidget* widget);
        void retranslateUi(QWidget* widget);
    };

    void initUi();
    void initEvidencePage();
    void addPageWidget(int pageBit, int area, QWidget* widget);
    void initConnect();
    bool checkDESetup();
    void readMapKey();
    // A connection by signature between two pages; a stand-in page is
    // skipped, a failed connection is reported.
    void connectPages(QObject* sender, const char* signal, QObject* receiver, const char* member, int line);

    Form* m_form = nullptr;
    OperateSelWidget* m_operateSel = nullptr;
    TitleBar* m_titleBar = nullptr;
    QMap<int, QLayout*> m_pageLayouts;
    QWidget* m_vehicleData = nullptr;
    QWidget* m_playbackArea = nullptr;
    QWidget* m_settingPage = nullptr;
    QWidget* m_playbackSearchBar = nullptr;
    QWidget* m_logPage = nullptr;
    QWidget* m_alarmPage = nullptr;
    int m_navIndex = 0;
    QWidget* m_trackPage = nullptr;
    QWidget* m_evidenceSearchBar = nullptr;
    QWidget* m_evidenceArea = nullptr;
    QWidget* m_evidenceTimeAxis = nullptr;
    ziraz::Widget* m_centralWidget = nullptr;
};
