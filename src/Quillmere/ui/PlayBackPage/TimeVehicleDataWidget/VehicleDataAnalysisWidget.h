// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Vehicle status panel: the state carried in the stream of the playing window
// (speed dial and text, parked marker, lamps, G-force plates, heading, GPS
// position, satellites) and the over-speed alarm sound.
#include <QString>
#include <QUrl>

#include "Playback/VehicleData.h"
#include "ziraz/controls.h"

class QGridLayout;
class QLabel;
class QMediaPlayer;
class QSlider;
class QToolButton;
class SpeedAndRotatePlateWidget;
class XYZPlateWidget;
class VehiclePlateWidget;

class VehicleDataAnalysisWidget : public ziraz::Widget {
    Q_OBJECT
public:
    explicit VehicleDataAnalysisWidget(QWidget* parent = nullptr);
    ~VehicleDataAnalysisWidget() override;

    // 'E' 1, 'W' 2, 'N' 3, 'S' 4, anything else 0.
    static int HemisphereCode(char letter);
    // Text of a packed coordinate (degrees x 360000 + minutes x 6000 +
    // hundredths of a second) followed by its hemisphere letter, when any.
    static QString CoordinateText(uint32_t packed, char hemisphere);
    // Style sheet text that shows one of the panel's pictures.
    static QString PictureStyle(const QString& name);

    SpeedAndRotatePlateWidget* speedPlate() const { return m_speedPlate; }
    XYZPlateWidget* xPlate() const { return m_xPlate; }
    XYZPlateWidget* yPlate() const { return m_yPlate; }
    XYZPlateWidget* zPlate() const { return m_zPlate; }
    VehiclePlateWidget* headingPlate() const { return m_headingPlate; }
    QMediaPlayer* alarmPlayer() const { return m_player; }
    // The first alarm sound that cannot play in a run of the program is told
    // to the user (a notice that stays until clicked); this starts over.
    static void ResetAlarmSoundNotice();
    bool speedInMiles() const { return m_unitMiles; }

signals:
    void signalVehInfo(VEH_META_INFO vehInfo);

public slots:
    void onUpdateVehicleData1(VEH_META_INFO vehInfo);

protected:
    // Plays the over-speed sound file (restarting it when it already plays).
    virtual void playAlarmSound(const QUrl& url);

private slots:
    void onAlarmSoundError();

private:
    void setupUi();
    void initUi();
    void resetDisplay();
    void updateSpeedAlarm(const VEH_META_INFO& vehInfo);

    SpeedAndRotatePlateWidget* m_speedPlate = nullptr;
    XYZPlateWidget* m_xPlate = nullptr;
    XYZPlateWidget* m_yPlate = nullptr;
    XYZPlateWidget* m_zPlate = nullptr;
    VehiclePlateWidget* m_headingPlate = nullptr;
    const double m_mileFactor = 1.6093343496322632;

    struct Form {
        QGridLayout* gridLayout = nullptr;
        QWidget* speedAndRotateWidget = nullptr;
        QWidget* vehicleStateWidget = nullptr;
        QWidget* XWidget = nullptr;
        QWidget* YWidget = nullptr;
        QWidget* ZWidget = nullptr;
        QWidget* VWidget = nullptr;
        QWidget* widget_7 = nullptr;
        QToolButton* leftTurnBtn = nullptr;
        QToolButton* brakeBtn = nullptr;
        QToolButton* stopBtn = nullptr;
        QToolButton* rightTurnBtn = nullptr;
        QToolButton* backCarBtn = nullptr;
        QLabel* speedLabel = nullptr;
        QToolButton* alarmBtn = nullptr;
        QSlider* termmometerBtn = nullptr;
        QLabel* thermometerLabel = nullptr;
        QToolButton* signalbutton = nullptr;
        QLabel* locationModelLabel = nullptr;
        QLabel* label_2 = nullptr;
        QLabel* satelliteCountLabel = nullptr;
        QLabel* label_4 = nullptr;
        QLabel* longValue = nullptr;
        QLabel* label_6 = nullptr;
        QLabel* latValue = nullptr;
    } ui;

    bool m_blinkPhase = false;
    uint32_t m_lastSpeed = 0;
    bool m_unitMiles = false;
    QMediaPlayer* m_player = nullptr;
};
