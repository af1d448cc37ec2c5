// SPDX-License-Identifier: GPL-3.0-or-later
#include "VehicleDataAnalysisWidget.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaContent>
#include <QMediaPlayer>
#include <QSlider>
#include <QSpacerItem>
#include <QToolButton>

#include "PlateWidgets.h"
#include "storage/Settings.h"
#include "ziraz/dialogs.h"

namespace {

const char* const kPictureFolder = ":/Quillmere/Images/PlayBack/VehicleData/";

QToolButton* makeButton(QWidget* parent, const char* name, int w, int h) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setFixedSize(w, h);
    return button;
}

QLabel* makeLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

QWidget* makeContainer(QWidget* parent, const char* name, int w, int h) {
    auto* widget = new QWidget(parent);
    widget->setObjectName(name);
    widget->setFixedSize(w, h);
    return widget;
}

QSpacerItem* hSpacer(int w, int h, QSizePolicy::Policy policy = QSizePolicy::Fixed) {
    return new QSpacerItem(w, h, policy, QSizePolicy::Minimum);
}

QSpacerItem* vSpacer(int w, int h) { return new QSpacerItem(w, h, QSizePolicy::Minimum, QSizePolicy::Expanding); }

QGridLayout* bareGrid(QWidget* host) {
    auto* layout = new QGridLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

// The settings entry of `key`; false when the store has none.
bool readSetting(SettingKey key, QString* value) { return CSettingsStore::GetInstance()->GetValueText(key, value); }

QString threeDigits(long long value) { return QString("%1").arg(value, 3, 10, QChar('0')); }

// The alarm sound that cannot play is told once per run of the program.
bool g_alarmSoundFailureTold = false;

}  // namespace

// The pictures are compiled into this static library; they have to be
// registered by hand, or the linker leaves them out.
static void initVehicleDataPictures() { Q_INIT_RESOURCE(vehicledata); }

VehicleDataAnalysisWidget::VehicleDataAnalysisWidget(QWidget* parent) : ziraz::Widget(parent) {
    initVehicleDataPictures();
    setupUi();
    initUi();
}

VehicleDataAnalysisWidget::~VehicleDataAnalysisWidget() = default;

void VehicleDataAnalysisWidget::setupUi() {
    if (objectName().isEmpty()) setObjectName("VehicleDataAnalysisWidget");
    resize(1038, 268);
    ui.gridLayout = new QGridLayout(this);
    ui.gridLayout->setObjectName("gridLayout");
    ui.gridLayout->setSpacing(0);
    ui.gridLayout->setContentsMargins(0, 0, 0, 0);

    ui.speedAndRotateWidget = makeContainer(this, "speedAndRotateWidget", 243, 115);
    ui.vehicleStateWidget = makeContainer(this, "vehicleStateWidget", 160, 115);
    ui.XWidget = makeContainer(this, "XWidget", 96, 96);
    ui.YWidget = makeContainer(this, "YWidget", 96, 96);
    ui.ZWidget = makeContainer(this, "ZWidget", 96, 96);
    ui.VWidget = makeContainer(this, "VWidget", 96, 96);
    ui.widget_7 = makeContainer(this, "widget_7", 110, 115);

    // In the narrowest window (1280 pixels) the row is a little wider than
    // the page: the gaps give way first, then the lamp block down to what
    // its rows need, so that the GPS block stays in view whole.
    ui.vehicleStateWidget->setMinimumWidth(146);
    ui.gridLayout->addItem(hSpacer(8, 20, QSizePolicy::Preferred), 0, 0);
    ui.gridLayout->addWidget(ui.speedAndRotateWidget, 0, 1);
    ui.gridLayout->addWidget(ui.vehicleStateWidget, 0, 2);
    ui.gridLayout->addWidget(ui.XWidget, 0, 3);
    ui.gridLayout->addItem(hSpacer(6, 20, QSizePolicy::Preferred), 0, 4);
    ui.gridLayout->addWidget(ui.YWidget, 0, 5);
    ui.gridLayout->addItem(hSpacer(6, 20, QSizePolicy::Preferred), 0, 6);
    ui.gridLayout->addWidget(ui.ZWidget, 0, 7);
    ui.gridLayout->addItem(hSpacer(6, 20, QSizePolicy::Preferred), 0, 8);
    ui.gridLayout->addWidget(ui.VWidget, 0, 9);
    ui.gridLayout->addItem(hSpacer(4, 20, QSizePolicy::Preferred), 0, 10);
    ui.gridLayout->addWidget(ui.widget_7, 0, 11);
    ui.gridLayout->addItem(hSpacer(8, 20, QSizePolicy::Preferred), 0, 12);

    // Lamps, speed text and the (unused) thermometer.
    auto* stateGrid = new QGridLayout(ui.vehicleStateWidget);
    stateGrid->setObjectName("gridLayout_2");
    stateGrid->setSpacing(6);
    stateGrid->setContentsMargins(0, 10, 0, 10);
    auto* row0 = new QHBoxLayout();
    row0->setObjectName("horizontalLayout_3");
    ui.leftTurnBtn = makeButton(ui.vehicleStateWidget, "leftTurnBtn", 20, 18);
    ui.brakeBtn = makeButton(ui.vehicleStateWidget, "brakeBtn", 32, 22);
    ui.stopBtn = makeButton(ui.vehicleStateWidget, "stopBtn", 32, 22);
    ui.rightTurnBtn = makeButton(ui.vehicleStateWidget, "rightTurnBtn", 20, 18);
    row0->addItem(hSpacer(10, 20, QSizePolicy::Expanding));
    row0->addWidget(ui.leftTurnBtn);
    row0->addWidget(ui.brakeBtn);
    row0->addWidget(ui.stopBtn);
    row0->addWidget(ui.rightTurnBtn);
    row0->addItem(hSpacer(10, 20, QSizePolicy::Expanding));
    stateGrid->addLayout(row0, 0, 0);
    auto* row1 = new QHBoxLayout();
    row1->setObjectName("horizontalLayout_5");
    ui.backCarBtn = makeButton(ui.vehicleStateWidget, "backCarBtn", 32, 32);
    ui.speedLabel = makeLabel(ui.vehicleStateWidget, "speedLabel");
    ui.speedLabel->setAlignment(Qt::AlignCenter);
    ui.alarmBtn = makeButton(ui.vehicleStateWidget, "alarmBtn", 32, 32);
    row1->addItem(hSpacer(4, 20, QSizePolicy::Expanding));
    row1->addWidget(ui.backCarBtn);
    row1->addWidget(ui.speedLabel);
    row1->addWidget(ui.alarmBtn);
    row1->addItem(hSpacer(4, 20, QSizePolicy::Expanding));
    stateGrid->addLayout(row1, 1, 0);
    auto* row2 = new QHBoxLayout();
    row2->setObjectName("horizontalLayout_4");
    ui.termmometerBtn = new QSlider(Qt::Horizontal, ui.vehicleStateWidget);
    ui.termmometerBtn->setObjectName("termmometerBtn");
    ui.termmometerBtn->setFixedSize(97, 12);
    ui.thermometerLabel = makeLabel(ui.vehicleStateWidget, "thermometerLabel");
    row2->addItem(hSpacer(4, 20, QSizePolicy::Expanding));
    row2->addWidget(ui.termmometerBtn);
    row2->addWidget(ui.thermometerLabel);
    row2->addItem(hSpacer(4, 20, QSizePolicy::Expanding));
    stateGrid->addLayout(row2, 2, 0);

    // GPS block.
    auto* gpsGrid = new QGridLayout(ui.widget_7);
    gpsGrid->setObjectName("gridLayout_3");
    gpsGrid->setSpacing(0);
    gpsGrid->setContentsMargins(0, 0, 0, 0);
    auto* gpsRow0 = new QHBoxLayout();
    gpsRow0->setObjectName("horizontalLayout");
    ui.signalbutton = makeButton(ui.widget_7, "signalbutton", 65, 19);
    ui.locationModelLabel = makeLabel(ui.widget_7, "locationModelLabel");
    ui.locationModelLabel->setFixedSize(12, 12);
    ui.locationModelLabel->setAlignment(Qt::AlignCenter);
    gpsRow0->addWidget(ui.signalbutton);
    gpsRow0->addItem(hSpacer(13, 5));
    gpsRow0->addWidget(ui.locationModelLabel);
    gpsGrid->addLayout(gpsRow0, 0, 0);
    gpsGrid->addItem(vSpacer(20, 4), 1, 0);
    auto* gpsRow2 = new QHBoxLayout();
    gpsRow2->setObjectName("horizontalLayout_2");
    ui.label_2 = makeLabel(ui.widget_7, "label_2");
    ui.satelliteCountLabel = makeLabel(ui.widget_7, "satelliteCountLabel");
    gpsRow2->addWidget(ui.label_2);
    gpsRow2->addWidget(ui.satelliteCountLabel);
    gpsGrid->addLayout(gpsRow2, 2, 0);
    gpsGrid->addItem(vSpacer(20, 4), 3, 0);
    ui.label_4 = makeLabel(ui.widget_7, "label_4");
    ui.longValue = makeLabel(ui.widget_7, "longValue");
    ui.label_6 = makeLabel(ui.widget_7, "label_6");
    ui.latValue = makeLabel(ui.widget_7, "latValue");
    gpsGrid->addWidget(ui.label_4, 4, 0);
    gpsGrid->addWidget(ui.longValue, 5, 0);
    gpsGrid->addWidget(ui.label_6, 6, 0);
    gpsGrid->addWidget(ui.latValue, 7, 0);

    // The lamp buttons show only their pictures; the plate containers carry
    // the faces behind the needles (a round face per G-force and heading
    // plate, and the dial's two pivots).
    for (QWidget* face : {ui.speedAndRotateWidget, ui.XWidget, ui.YWidget, ui.ZWidget, ui.VWidget})
        face->setAttribute(Qt::WA_StyledBackground, true);
    // The lamps and the GPS block sit on the same dark face as the dial, so
    // that their dim "off" pictures and light texts can be seen.
    for (QWidget* face : {ui.vehicleStateWidget, ui.widget_7}) face->setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(
        "QToolButton { border: none; background: transparent; }\n"
        "#XWidget, #YWidget, #ZWidget, #VWidget { border: 2px solid rgba(90, 176, 238, 0.35);"
        " border-radius: 48px; background-color: rgba(33, 38, 43, 0.9); }\n"
        "#speedAndRotateWidget, #vehicleStateWidget, #widget_7 { border: 1px solid rgba(90, 176, 238, 0.25);"
        " border-radius: 10px; background-color: rgba(33, 38, 43, 0.9); }\n"
        "#vehicleStateWidget QLabel, #widget_7 QLabel { color: rgba(255, 255, 255, 0.85); }\n"
        // The GPS block is 110 pixels wide, the thermometer row shares 146
        // with its 97-pixel slider.
        "#widget_7 QLabel, QLabel#thermometerLabel { font-size: 11px; }");

    setWindowTitle(tr("VehicleDataAnalysisWidget"));
    ui.signalbutton->setToolTip(tr("Signal"));
    ui.locationModelLabel->setToolTip(tr("SatellitesLocateMode"));
    ui.label_2->setText(tr("SatelliteCount:"));
    ui.satelliteCountLabel->setText(tr("00"));
    ui.label_4->setText(tr("long:"));
    ui.longValue->setText(tr("000 00 00 00 N"));
    ui.label_6->setText(tr("lat:"));
    ui.latValue->setText(tr("000 00 00 00"));
    ui.leftTurnBtn->setToolTip(tr("LeftLightToolTip"));
    ui.brakeBtn->setToolTip(tr("BrakeLightToolTip"));
    ui.stopBtn->setToolTip(tr("ParkingLightToolTip"));
    ui.rightTurnBtn->setToolTip(tr("RightLightToolTip"));
    ui.backCarBtn->setToolTip(tr("ReserverLightToolTip"));
    ui.speedLabel->setToolTip(tr("SpeedLblToolTip"));
    ui.alarmBtn->setToolTip(tr("AlarmLightToolTip"));
    ui.termmometerBtn->setToolTip(tr("ThermoToolTip"));
    ui.thermometerLabel->setText(tr("--C/--F"));
}

void VehicleDataAnalysisWidget::initUi() {
    m_speedPlate = new SpeedAndRotatePlateWidget();
    bareGrid(ui.speedAndRotateWidget)->addWidget(m_speedPlate);
    m_speedPlate->setToolTip(tr("SpeedMeterToolTip"));

    struct PlateSetup {
        XYZPlateWidget** plate;
        QWidget* host;
        QString title;
        const char* name;
        QString tip;
    };
    const PlateSetup plates[] = {
        {&m_xPlate, ui.XWidget, tr("Left/Right"), "XPlateWidget", tr("LeftRightGForceToolTip")},
        {&m_yPlate, ui.YWidget, tr("Front/Rear"), "YPlateWidget", tr("FrontRearGForceToolTip")},
        {&m_zPlate, ui.ZWidget, tr("Up/Down"), "ZPlateWidget", tr("UpDownGForceToolTip")},
    };
    for (const PlateSetup& setup : plates) {
        // The containers are not laid out yet, so this is the plate's centre.
        const QPoint pivot = setup.host->geometry().topLeft() + QPoint(48, 48);
        auto* plate = new XYZPlateWidget(pivot.x(), pivot.y(), setup.title);
        plate->setObjectName(setup.name);
        plate->setToolTip(setup.tip);
        bareGrid(setup.host)->addWidget(plate);
        *setup.plate = plate;
    }

    m_headingPlate = new VehiclePlateWidget();
    bareGrid(ui.VWidget)->addWidget(m_headingPlate);
    m_headingPlate->setToolTip(tr("CompassToolTip"));

    resetDisplay();
    m_player = new QMediaPlayer(this);
    connect(m_player, QOverload<QMediaPlayer::Error>::of(&QMediaPlayer::error), this,
            &VehicleDataAnalysisWidget::onAlarmSoundError);
}

void VehicleDataAnalysisWidget::ResetAlarmSoundNotice() { g_alarmSoundFailureTold = false; }

void VehicleDataAnalysisWidget::onAlarmSoundError() {
    // A sound that cannot play (no media playback on this system, a missing
    // or unreadable file) would otherwise stay silent on every alarm.
    if (g_alarmSoundFailureTold || m_player->error() == QMediaPlayer::NoError) return;
    g_alarmSoundFailureTold = true;
    const QString file = QDir::toNativeSeparators(m_player->media().request().url().toLocalFile());
    ziraz::InformationDlg::ShowInformationAtScreenRightBottom(
        tr("The alarm sound %1 cannot be played: %2").arg(file, m_player->errorString()), this, false, true, false);
}

void VehicleDataAnalysisWidget::resetDisplay() {
    const QString zero = CoordinateText(0, 0);
    ui.longValue->setText(zero);
    ui.latValue->setText(zero);
    ui.satelliteCountLabel->setText("00");
    ui.locationModelLabel->setText("N");
    ui.locationModelLabel->setToolTip(tr("SatellitesLocateMode"));
    ui.speedLabel->setText(tr("%1 KPH").arg(threeDigits(0)));
    ui.speedLabel->setToolTip(tr("SpeedLblToolTip"));
    ui.signalbutton->setStyleSheet(PictureStyle("satellite/Satellite_0.png"));
    // Every lamp shows its "off" picture until a record lights it.
    ui.leftTurnBtn->setStyleSheet(PictureStyle("left_off.png"));
    ui.rightTurnBtn->setStyleSheet(PictureStyle("right_off.png"));
    ui.brakeBtn->setStyleSheet(PictureStyle("!.png"));
    ui.stopBtn->setStyleSheet(PictureStyle("P.png"));
    ui.backCarBtn->setStyleSheet(PictureStyle("R-nor.png"));
    ui.alarmBtn->setStyleSheet(PictureStyle("alarm_off.png"));
    m_headingPlate->setHeading(0);
    m_speedPlate->reset();
    m_xPlate->setValue(0);
    m_yPlate->setValue(0);
    m_zPlate->setValue(0);
}

int VehicleDataAnalysisWidget::HemisphereCode(char letter) {
    switch (letter) {
        case 'E': return 1;
        case 'W': return 2;
        case 'N': return 3;
        case 'S': return 4;
        default: return 0;
    }
}

QString VehicleDataAnalysisWidget::PictureStyle(const QString& name) {
    return QString("image: url(") + kPictureFolder + name + ");";
}

QString VehicleDataAnalysisWidget::CoordinateText(uint32_t packed, char hemisphere) {
    // Whole-number arithmetic throughout: a single-precision quotient rounds
    // large values up to the next degree and drops hundredths (7.29 s -> 7.28).
    const uint32_t degrees = packed / 360000u;
    const uint32_t rest = packed % 360000u;
    const uint32_t minutes = rest / 6000u;
    const uint32_t hundredthsOfSecond = rest % 6000u;
    const uint32_t seconds = hundredthsOfSecond / 100u;
    const uint32_t hundredths = hundredthsOfSecond % 100u;
    QString text = QString("%1%2%3'%4.%5")
                       .arg(degrees, 3, 10, QChar('0'))
                       .arg(tr("."))
                       .arg(minutes, 2, 10, QChar('0'))
                       .arg(seconds, 2, 10, QChar('0'))
                       .arg(hundredths, 2, 10, QChar('0'));
    text += QChar('"');
    if (hemisphere != 0) text += QChar::fromLatin1(hemisphere);
    return text;
}

void VehicleDataAnalysisWidget::onUpdateVehicleData1(VEH_META_INFO vehInfo) {
    emit signalVehInfo(vehInfo);
    const RUN_INFO& run = vehInfo.runInfo;

    QString unitText;
    if (!readSetting(SettingKey::SpeedUnitType, &unitText)) return;
    m_unitMiles = unitText.toInt() != 0;
    m_lastSpeed = run.speed;

    m_speedPlate->setVehicleData(vehInfo);

    ui.stopBtn->setStyleSheet(PictureStyle(m_lastSpeed / 160934.4 < 3.0 ? "P.png" : "P_sel.png"));

    if (!m_unitMiles) {
        ui.speedLabel->setText(tr("%1 KPH").arg(threeDigits(run.speed / 100000u)));
    } else {
        const auto mph = static_cast<long long>(run.speed / (m_mileFactor * 100000.0));
        ui.speedLabel->setText(tr("%1 MPH").arg(threeDigits(mph)));
    }

    const int32_t divisor = static_cast<int32_t>(run.gSensorScale);
    if (divisor != 0) {
        const float d = static_cast<float>(divisor);
        m_xPlate->setValue(static_cast<float>(run.gSensorX[4]) / d);
        m_yPlate->setValue(static_cast<float>(run.gSensorY[4]) / d);
        m_zPlate->setValue(static_cast<float>(run.gSensorZ[4]) / d);
    }

    m_headingPlate->setHeading(run.heading / 100);

    ui.alarmBtn->setStyleSheet(PictureStyle(run.alarm ? "alarm_on.png" : "alarm_off.png"));
    ui.backCarBtn->setStyleSheet(PictureStyle(run.reverse ? "R.png" : "R-nor.png"));
    ui.brakeBtn->setStyleSheet(PictureStyle(run.brake ? "!_sel.png" : "!.png"));

    if (run.leftLight && run.rightLight) {
        const QString picture = m_blinkPhase ? "off" : "on";
        ui.leftTurnBtn->setStyleSheet(PictureStyle("left_" + picture + ".png"));
        ui.rightTurnBtn->setStyleSheet(PictureStyle("right_" + picture + ".png"));
        m_blinkPhase = !m_blinkPhase;
    } else {
        ui.leftTurnBtn->setStyleSheet(PictureStyle(run.leftLight ? "left_on.png" : "left_off.png"));
        ui.rightTurnBtn->setStyleSheet(PictureStyle(run.rightLight ? "right_on.png" : "right_off.png"));
    }

    // The position and satellite rows are shown even when the alarm settings
    // are incomplete; only the sound depends on them.
    updateSpeedAlarm(vehInfo);

    ui.longValue->setText(CoordinateText(run.longitude, run.longitudeHemisphere));
    ui.latValue->setText(CoordinateText(run.latitude, run.latitudeHemisphere));

    int satellites = run.satelliteCount;
    if (satellites > 24) satellites = 24;
    ui.signalbutton->setStyleSheet(
        PictureStyle(QString("satellite/Satellite_%1.png").arg(satellites > 12 ? 12 : satellites)));
    ui.satelliteCountLabel->setText(QString("%1").arg(satellites, 2, 10, QChar('0')));

    ui.locationModelLabel->setText(run.locateMode ? QString(QChar::fromLatin1(run.locateMode)) : QString());
}

void VehicleDataAnalysisWidget::updateSpeedAlarm(const VEH_META_INFO& vehInfo) {
    QString enabled;
    if (!readSetting(SettingKey::EnableSpeedAlarm, &enabled) || enabled.toInt() <= 0) return;
    QString unitText;
    if (!readSetting(SettingKey::SpeedUnitType, &unitText)) return;
    const uint32_t raw = vehInfo.runInfo.speed;
    const int speed = unitText.toInt() == 0 ? static_cast<int>(raw / 100000.0)
                                            : static_cast<int>(static_cast<float>(raw) / 160934.40625f);
    QString limitText;
    if (!readSetting(SettingKey::SpeedValue, &limitText)) return;
    const float limit = limitText.toFloat();  // empty or invalid text reads as 0
    if (!(static_cast<float>(speed) > limit)) return;
    QString voicePath;
    if (!readSetting(SettingKey::VoicePath, &voicePath)) return;
    if (voicePath.isEmpty()) voicePath = DefaultVoicePath();
    voicePath.replace('\\', '/');
    playAlarmSound(QUrl::fromLocalFile(voicePath));
}

void VehicleDataAnalysisWidget::playAlarmSound(const QUrl& url) {
    m_player->setMedia(QMediaContent(url));
    m_player->setVolume(100);
    m_player->play();
}
