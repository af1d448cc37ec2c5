// SPDX-License-Identifier: GPL-3.0-or-later
// Vehicle status panel, its instrument plates and the tab panel around it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <optional>
#include <QImage>
#include <QTabBar>
#include <cmath>
#include <functional>
#include <string>
#include <QLabel>
#include <QMediaPlayer>
#include <QSignalSpy>
#include <QToolButton>
#include <QUrl>
#include <memory>
#include <vector>

#include <qcustomplot.h>

#include "PlayBackPage/TimeVehicleDataWidget/GravitySensorWidget.h"
#include "PlayBackPage/TimeVehicleDataWidget/PlateWidgets.h"
#include "storage/Settings.h"
#include "PlayBackPage/TimeVehicleDataWidget/TimeVehicleDataWidget.h"
#include "PlayBackPage/TimeVehicleDataWidget/VehicleDataAnalysisWidget.h"
#include "ziraz/dialogs.h"
#include "ziraz/sharetools.h"
#include "kel_test/test_support.h"
#include "vehicle_test_records.h"

namespace {

QString picture(const char* name) { return VehicleDataAnalysisWidget::PictureStyle(name); }

// Puts the speed settings in place (the store is process-wide).
void setSpeedSettings(const QString& unit, const QString& enabled = "0", const QString& limit = "80",
                      const QString& voice = "/tmp\\kel\\alarm.wav") {
    CSettingsStore* store = CSettingsStore::GetInstance();
    store->SetValueText(SettingKey::SpeedUnitType, unit);
    store->SetValueText(SettingKey::EnableSpeedAlarm, enabled);
    store->SetValueText(SettingKey::SpeedValue, limit);
    store->SetValueText(SettingKey::VoicePath, voice);
}

// Empties the store for the life of the object, then puts the entries back.
class EmptySettings {
public:
    EmptySettings() {
        CSettingsStore::GetInstance()->GetAll(m_saved);
        CSettingsStore::GetInstance()->ReplaceAll({});
    }
    ~EmptySettings() {
        std::vector<CSettings*> added;
        CSettingsStore::GetInstance()->GetAll(added);
        CSettingsStore::GetInstance()->ReplaceAll(m_saved);
        for (CSettings* entry : added) delete entry;
    }

private:
    std::vector<CSettings*> m_saved;
};

// Records the alarm sounds instead of playing them.
class RecordingPanel : public VehicleDataAnalysisWidget {
public:
    std::vector<QUrl> sounds;

protected:
    void playAlarmSound(const QUrl& url) override { sounds.push_back(url); }
};

template <class T = QLabel>
T* child(QWidget* parent, const char* name) {
    T* widget = parent->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

}  // namespace

// --- instrument plates --------------------------------------------------------

TEST(SpeedPlate, NeedlesFollowValidGpsSpeedUpTo140Mph) {
    SpeedAndRotatePlateWidget plate;
    EXPECT_EQ(plate.size(), QSize(243, 115));
    struct Case {
        double mph;
        float speedAngle;
        float rotateAngle;
    } cases[] = {
        {0.5, 53.5f, 143.5f},
        {200, 305.5f, 234.78f},
        {140, 305.5f, 234.78f},
        {60, 161.5f, 182.62f},
    };
    for (const Case& c : cases) {
        plate.setVehicleData(vehtest::Record(static_cast<uint32_t>(c.mph * 160934.40625 + 1)));
        EXPECT_NEAR(plate.speedAngle(), c.speedAngle, 0.01) << c.mph;
        EXPECT_NEAR(plate.rotateAngle(), c.rotateAngle, 0.01) << c.mph;
    }
    // Without a fix nothing moves, whatever the speed.
    VEH_META_INFO noFix = vehtest::Record(10000000);
    noFix.runInfo.gpsValid = 0;
    plate.setVehicleData(noFix);
    EXPECT_NEAR(plate.speedAngle(), 161.5f, 0.01);
    plate.reset();
    EXPECT_FLOAT_EQ(plate.speedAngle(), 53.5f);
    EXPECT_FLOAT_EQ(plate.rotateAngle(), 143.5f);
    plate.grab();  // paints without trouble
}

// The dial draws its scales: a tick at every 20 miles per hour where the
// speed needle would point, and the ticks of the rotation scale.
TEST(SpeedPlate, DrawsItsScales) {
    SpeedAndRotatePlateWidget plate;
    plate.setStyleSheet("background-color: #21262b;");  // the dark face the panel gives it
    const QImage image = plate.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    // Whether a light, opaque pixel lies within 2 pixels of (x, y).
    const auto tickNear = [&image](double x, double y) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const QRgb p = image.pixel(qRound(x) + dx, qRound(y) + dy);
                if (qAlpha(p) > 120 && qGray(p) > 150) return true;
            }
        return false;
    };
    const auto at = [](double cx, double cy, double angle, double r) {
        const double a = angle * M_PI / 180.0;
        return QPointF(cx - r * std::sin(a), cy + r * std::cos(a));
    };
    const struct {
        const char* scale;
        double cx, cy, angle, radius;
    } ticks[] = {
        {"20 mph", 70, 70, 20 * 1.8 + 53.5, 62},   {"60 mph", 70, 70, 60 * 1.8 + 53.5, 62},
        {"100 mph", 70, 70, 100 * 1.8 + 53.5, 62}, {"140 mph", 70, 70, 140 * 1.8 + 53.5, 62},
        {"rotation 2", 177, 65, 143.5 + 91.28 * 2 / 8, 58}, {"rotation 6", 177, 65, 143.5 + 91.28 * 6 / 8, 58},
    };
    for (const auto& t : ticks) {
        const QPointF p = at(t.cx, t.cy, t.angle, t.radius);
        EXPECT_TRUE(tickNear(p.x(), p.y())) << t.scale;
    }
    // Between two ticks of the speed scale the face stays clear.
    const QPointF gap = at(70, 70, 15 * 1.8 + 53.5, 62);
    EXPECT_FALSE(tickNear(gap.x(), gap.y()));
}

TEST(GForcePlate, ValueTurnsNeedleWithinTwoG) {
    XYZPlateWidget plate(48, 48, "Front/Rear");
    EXPECT_EQ(plate.titleLabel()->text(), "Front/Rear");
    EXPECT_EQ(plate.size(), QSize(96, 96));
    EXPECT_DOUBLE_EQ(plate.angle(), 180.0);
    const std::pair<double, double> cases[] = {{3.0, 360}, {2.0, 360}, {-5, 0}, {0, 180}, {0.5, 225}};
    for (const auto& [value, angle] : cases) {
        plate.setValue(value);
        EXPECT_DOUBLE_EQ(plate.angle(), angle) << value;
    }
    plate.setValueNoUpdate(-1);
    EXPECT_DOUBLE_EQ(plate.angle(), 90);
    plate.grab();
}

TEST(HeadingPlate, ShowsCarTurnedInFiveDegreeSteps) {
    VehiclePlateWidget plate;
    const std::pair<int, int> cases[] = {{0, 90}, {90, 0}, {180, 270}, {270, 180}, {359, 90},
                                         {360, 90}, {725, 85}, {3, 85}, {271, 175}};
    for (const auto& [heading, k] : cases) {
        plate.setHeading(heading);
        EXPECT_EQ(plate.carImageButton()->styleSheet(),
                  QString("image: url(:/Quillmere/Images/PlayBack/VehicleData/car/Car_%1.png);").arg(k))
            << heading;
    }
    const QString before = plate.carImageButton()->styleSheet();
    plate.setHeading(-10);
    EXPECT_EQ(plate.carImageButton()->styleSheet(), before);
}

// --- status panel -------------------------------------------------------------

TEST(VehicleStatusPanel, StartsAtRest) {
    VehicleDataAnalysisWidget panel;
    EXPECT_EQ(child(&panel, "speedLabel")->text(), "000 KPH");
    EXPECT_EQ(child(&panel, "satelliteCountLabel")->text(), "00");
    EXPECT_EQ(child(&panel, "locationModelLabel")->text(), "N");
    EXPECT_EQ(child(&panel, "thermometerLabel")->text(), "--C/--F");
    EXPECT_EQ(child(&panel, "longValue")->text(), "000.00'00.00\"");
    EXPECT_EQ(child(&panel, "latValue")->text(), "000.00'00.00\"");
    EXPECT_EQ(child<QToolButton>(&panel, "signalbutton")->styleSheet(), picture("satellite/Satellite_0.png"));
    EXPECT_NE(panel.findChild<XYZPlateWidget*>("XPlateWidget"), nullptr);
    EXPECT_NE(panel.findChild<XYZPlateWidget*>("YPlateWidget"), nullptr);
    EXPECT_NE(panel.findChild<XYZPlateWidget*>("ZPlateWidget"), nullptr);
    EXPECT_EQ(panel.xPlate()->titleLabel()->text(), "Left/Right");
    EXPECT_DOUBLE_EQ(panel.zPlate()->angle(), 180.0);
    EXPECT_NE(panel.alarmPlayer(), nullptr);
    // The pictures the panel names are there.
    for (const char* name : {"car/Car_90.png", "car/Car_355.png", "satellite/Satellite_12.png", "P_sel.png",
                             "!_sel.png", "R-nor.png", "alarm_on.png", "left_off.png", "right_on.png"})
        EXPECT_FALSE(QImage(QString(":/Quillmere/Images/PlayBack/VehicleData/") + name).isNull()) << name;
}

TEST(VehicleStatusPanel, SpeedTextAndParkedMarkerFollowTheUnit) {
    VehicleDataAnalysisWidget panel;
    const uint32_t mile = static_cast<uint32_t>(1.6093343496322632 * 100000 * 100);
    struct Case {
        const char* unit;
        uint32_t speed;
        const char* text;
        const char* parked;
    } cases[] = {
        {"0", 0, "000 KPH", "P.png"},
        {"0", 482803, "004 KPH", "P.png"},
        {"0", 482804, "004 KPH", "P_sel.png"},
        {"0", 4500000, "045 KPH", "P_sel.png"},
        {"0", 123400000, "1234 KPH", "P_sel.png"},
        {"1", mile + 2, "100 MPH", "P_sel.png"},
        {"1", mile - 2, "099 MPH", "P_sel.png"},
        {"2", mile + 2, "100 MPH", "P_sel.png"},
    };
    for (const Case& c : cases) {
        setSpeedSettings(c.unit);
        panel.onUpdateVehicleData1(vehtest::Record(c.speed));
        EXPECT_EQ(child(&panel, "speedLabel")->text(), c.text) << c.speed;
        EXPECT_EQ(child<QToolButton>(&panel, "stopBtn")->styleSheet(), picture(c.parked)) << c.speed;
        EXPECT_EQ(panel.speedInMiles(), QString(c.unit) != "0");
    }
}

TEST(VehicleStatusPanel, SatellitesLampsAndLocateMode) {
    setSpeedSettings("0");
    VehicleDataAnalysisWidget panel;
    const std::tuple<int, const char*, const char*> satellites[] = {
        {30, "24", "satellite/Satellite_12.png"},
        {12, "12", "satellite/Satellite_12.png"},
        {5, "05", "satellite/Satellite_5.png"},
        {0, "00", "satellite/Satellite_0.png"},
    };
    for (const auto& [count, text, image] : satellites) {
        VEH_META_INFO info = vehtest::Record();
        info.runInfo.satelliteCount = static_cast<uint8_t>(count);
        info.runInfo.locateMode = 'A';
        panel.onUpdateVehicleData1(info);
        EXPECT_EQ(child(&panel, "satelliteCountLabel")->text(), text);
        EXPECT_EQ(child<QToolButton>(&panel, "signalbutton")->styleSheet(), picture(image));
        EXPECT_EQ(child(&panel, "locationModelLabel")->text(), "A");
    }

    VEH_META_INFO lit = vehtest::Record();
    lit.runInfo.alarm = 1;
    lit.runInfo.reverse = 1;
    lit.runInfo.brake = 1;
    lit.runInfo.leftLight = 1;
    panel.onUpdateVehicleData1(lit);
    EXPECT_EQ(child<QToolButton>(&panel, "alarmBtn")->styleSheet(), picture("alarm_on.png"));
    EXPECT_EQ(child<QToolButton>(&panel, "backCarBtn")->styleSheet(), picture("R.png"));
    EXPECT_EQ(child<QToolButton>(&panel, "brakeBtn")->styleSheet(), picture("!_sel.png"));
    EXPECT_EQ(child<QToolButton>(&panel, "leftTurnBtn")->styleSheet(), picture("left_on.png"));
    EXPECT_EQ(child<QToolButton>(&panel, "rightTurnBtn")->styleSheet(), picture("right_off.png"));

    panel.onUpdateVehicleData1(vehtest::Record());
    EXPECT_EQ(child<QToolButton>(&panel, "alarmBtn")->styleSheet(), picture("alarm_off.png"));
    EXPECT_EQ(child<QToolButton>(&panel, "backCarBtn")->styleSheet(), picture("R-nor.png"));
    EXPECT_EQ(child<QToolButton>(&panel, "brakeBtn")->styleSheet(), picture("!.png"));
    EXPECT_EQ(child<QToolButton>(&panel, "leftTurnBtn")->styleSheet(), picture("left_off.png"));
}

TEST(VehicleStatusPanel, HazardLightsBlinkAtTheRecordRate) {
    setSpeedSettings("0");
    VehicleDataAnalysisWidget panel;
    VEH_META_INFO hazard = vehtest::Record();
    hazard.runInfo.leftLight = 1;
    hazard.runInfo.rightLight = 1;
    const char* expected[] = {"on", "off", "on", "off"};
    for (const char* phase : expected) {
        panel.onUpdateVehicleData1(hazard);
        EXPECT_EQ(child<QToolButton>(&panel, "leftTurnBtn")->styleSheet(), picture(qPrintable(QString("left_%1.png").arg(phase))));
        EXPECT_EQ(child<QToolButton>(&panel, "rightTurnBtn")->styleSheet(), picture(qPrintable(QString("right_%1.png").arg(phase))));
    }
}

TEST(VehicleStatusPanel, CoordinatesAreWrittenExactly) {
    setSpeedSettings("0");
    VehicleDataAnalysisWidget panel;
    struct Case {
        uint32_t packed;
        char hemisphere;
        const char* text;
    } cases[] = {
        {vehtest::Packed(113, 56, 725), 'E', "113.56'07.25\"E"},
        {vehtest::Packed(22, 3, 729), 'N', "022.03'07.29\""
                                           "N"},
        {vehtest::Packed(179, 59, 5999), 'W', "179.59'59.99\"W"},
        {vehtest::Packed(0, 0, 1), 'S', "000.00'00.01\"S"},
    };
    for (const Case& c : cases) {
        VEH_META_INFO info = vehtest::Record();
        info.runInfo.longitude = c.packed;
        info.runInfo.longitudeHemisphere = c.hemisphere;
        info.runInfo.latitude = c.packed;
        info.runInfo.latitudeHemisphere = c.hemisphere;
        panel.onUpdateVehicleData1(info);
        EXPECT_EQ(child(&panel, "longValue")->text(), c.text);
        EXPECT_EQ(child(&panel, "latValue")->text(), c.text);
    }
}

TEST(VehicleStatusPanel, GForcePlatesAndHeading) {
    setSpeedSettings("0");
    VehicleDataAnalysisWidget panel;
    VEH_META_INFO info = vehtest::Record();
    info.runInfo.gSensorScale = 1000;
    info.runInfo.gSensorX[4] = 500;
    info.runInfo.gSensorY[4] = -1000;
    info.runInfo.gSensorZ[4] = 3000;
    info.runInfo.gSensorX[0] = 2000;  // only element 4 is shown
    info.runInfo.heading = 9050;
    panel.onUpdateVehicleData1(info);
    EXPECT_DOUBLE_EQ(panel.xPlate()->angle(), 225);
    EXPECT_DOUBLE_EQ(panel.yPlate()->angle(), 90);
    EXPECT_DOUBLE_EQ(panel.zPlate()->angle(), 360);
    EXPECT_TRUE(panel.headingPlate()->carImageButton()->styleSheet().contains("Car_0.png"));

    // Without a divisor the plates stay where they were.
    VEH_META_INFO noSensor = info;
    noSensor.runInfo.gSensorScale = 0;
    noSensor.runInfo.gSensorX[4] = -2000;
    panel.onUpdateVehicleData1(noSensor);
    EXPECT_DOUBLE_EQ(panel.xPlate()->angle(), 225);
    EXPECT_DOUBLE_EQ(panel.zPlate()->angle(), 360);
}

TEST(VehicleStatusPanel, OverSpeedAlarmSoundsAboveTheLimit) {
    struct Case {
        const char* enabled;
        const char* unit;
        const char* limit;
        uint32_t speed;
        bool sounds;
    } cases[] = {
        {"1", "0", "80", 8090000, false},  // 80.9 km/h counts as 80
        {"1", "0", "80", 8100000, true},
        {"0", "0", "80", 20000000, false},
        {"1", "1", "50", static_cast<uint32_t>(51 * 160934.40625 + 100), true},
        {"1", "1", "50", static_cast<uint32_t>(50.5 * 160934.40625), false},
        {"1", "0", "", 100000, true},  // an empty limit reads as 0
    };
    for (const Case& c : cases) {
        setSpeedSettings(c.unit, c.enabled, c.limit, "/tmp\\kel\\alarm.wav");
        RecordingPanel panel;
        panel.onUpdateVehicleData1(vehtest::Record(c.speed));
        panel.onUpdateVehicleData1(vehtest::Record(c.speed));
        ASSERT_EQ(panel.sounds.size(), c.sounds ? 2u : 0u) << c.speed << " " << c.limit;
        if (c.sounds) {
            EXPECT_EQ(panel.sounds.front(), QUrl::fromLocalFile("/tmp/kel/alarm.wav"));
        }
    }
}

TEST(VehicleStatusPanel, AlarmGoesToTheMediaPlayer) {
    setSpeedSettings("0", "1", "10", "/tmp\\kel\\alarm.wav");
    VehicleDataAnalysisWidget panel;
    panel.onUpdateVehicleData1(vehtest::Record(5000000));
    EXPECT_EQ(panel.alarmPlayer()->media().request().url(), QUrl::fromLocalFile("/tmp/kel/alarm.wav"));
    EXPECT_EQ(panel.alarmPlayer()->volume(), 100);
}

// An alarm sound that cannot play is told to the user, once in a run of the
// program: the file and the player's reason.
TEST(VehicleStatusPanel, AlarmSoundThatCannotPlayIsToldOnce) {
    VehicleDataAnalysisWidget::ResetAlarmSoundNotice();
    std::vector<ziraz::DialogCall> calls;
    ziraz::ScopedDialogPresenter presenter([&calls](const ziraz::DialogCall& call) {
        calls.push_back(call);
        return std::optional<int>(0);
    });
    const QString missing = kel_test::ProgramFolder() + "/no such sound.wav";
    setSpeedSettings("0", "1", "10", missing);
    VehicleDataAnalysisWidget panel;
    VehicleDataAnalysisWidget other;
    panel.onUpdateVehicleData1(vehtest::Record(5000000));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return panel.alarmPlayer()->error() != QMediaPlayer::NoError; }));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].kind, ziraz::DialogKind::Information);
    EXPECT_EQ(calls[0].text, "The alarm sound " + missing + " cannot be played: " + panel.alarmPlayer()->errorString());
    EXPECT_FALSE(panel.alarmPlayer()->errorString().isEmpty());
    EXPECT_TRUE(calls[0].flags[1]);   // stays until clicked
    EXPECT_FALSE(calls[0].flags[2]);  // does not close by itself

    // The next alarms, of this panel and of the other one, say nothing more.
    panel.onUpdateVehicleData1(vehtest::Record(5000000));
    other.onUpdateVehicleData1(vehtest::Record(5000000));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return other.alarmPlayer()->error() != QMediaPlayer::NoError; }));
    EXPECT_EQ(calls.size(), 1u);
}

// The program's own alarm sound plays through Qt's media playback with the
// system's media elements (an audio output that discards the sound stands in
// for the sound card): to its end, with no error and no notice.
TEST(VehicleStatusPanel, ProgramsAlarmSoundPlays) {
    VehicleDataAnalysisWidget::ResetAlarmSoundNotice();
    kel_test::ScopedEnv sink("QT_GSTREAMER_PLAYBIN_AUDIOSINK", "fakesink");
    std::vector<ziraz::DialogCall> calls;
    ziraz::ScopedDialogPresenter presenter([&calls](const ziraz::DialogCall& call) {
        calls.push_back(call);
        return std::optional<int>(0);
    });
    const QString sound = kel_test::BinaryDir() + "/bin/alarm_input.wav";
    ASSERT_TRUE(QFileInfo::exists(sound));
    setSpeedSettings("0", "1", "10", sound);
    VehicleDataAnalysisWidget panel;
    panel.onUpdateVehicleData1(vehtest::Record(5000000));
    QMediaPlayer* player = panel.alarmPlayer();
    ASSERT_TRUE(kel_test::WaitUntil([player] {
        return player->mediaStatus() == QMediaPlayer::EndOfMedia || player->error() != QMediaPlayer::NoError;
    }));
    EXPECT_EQ(player->error(), QMediaPlayer::NoError) << player->errorString().toStdString();
    EXPECT_EQ(player->mediaStatus(), QMediaPlayer::EndOfMedia);
    EXPECT_GT(player->duration(), 0);
    EXPECT_TRUE(calls.empty());
}

TEST(VehicleStatusPanel, RecordIsPassedOnFirstEvenWithoutSettings) {
    VehicleDataAnalysisWidget panel;
    QSignalSpy spy(&panel, &VehicleDataAnalysisWidget::signalVehInfo);
    {
        EmptySettings empty;
        VEH_META_INFO info = vehtest::Record(9000000);
        info.runInfo.satelliteCount = 7;
        panel.onUpdateVehicleData1(info);
        ASSERT_EQ(spy.count(), 1);
        EXPECT_EQ(spy.at(0).at(0).value<VEH_META_INFO>().runInfo.speed, 9000000u);
        // Without the unit setting nothing else is shown.
        EXPECT_EQ(child(&panel, "speedLabel")->text(), "000 KPH");
        EXPECT_EQ(child(&panel, "satelliteCountLabel")->text(), "00");
    }
}

TEST(VehicleStatusPanel, PositionIsShownWithoutAlarmSettings) {
    VehicleDataAnalysisWidget panel;
    EmptySettings empty;
    CSettingsStore::GetInstance()->SetValueText(SettingKey::SpeedUnitType, "0");
    VEH_META_INFO info = vehtest::Record(4500000);
    info.runInfo.satelliteCount = 9;
    info.runInfo.longitude = vehtest::Packed(113, 56, 725);
    info.runInfo.longitudeHemisphere = 'E';
    panel.onUpdateVehicleData1(info);
    EXPECT_EQ(child(&panel, "speedLabel")->text(), "045 KPH");
    EXPECT_EQ(child(&panel, "satelliteCountLabel")->text(), "09");
    EXPECT_EQ(child(&panel, "longValue")->text(), "113.56'07.25\"E");
}

TEST(VehicleStatusPanel, GeneratedTrackRecordsShowTheirValues) {
    setSpeedSettings("0");
    VehicleDataAnalysisWidget panel;
    const std::vector<VEH_META_INFO> records = vehtest::TrackRecords(7, 20);
    ASSERT_FALSE(records.empty());
    for (const VEH_META_INFO& info : records) {
        panel.onUpdateVehicleData1(info);
        EXPECT_EQ(child(&panel, "speedLabel")->text(),
                  QString("%1 KPH").arg(info.runInfo.speed / 100000u, 3, 10, QChar('0')));
        EXPECT_EQ(child(&panel, "longValue")->text(),
                  VehicleDataAnalysisWidget::CoordinateText(info.runInfo.longitude, info.runInfo.longitudeHemisphere));
        const int sats = std::min<int>(info.runInfo.satelliteCount, 24);
        EXPECT_EQ(child(&panel, "satelliteCountLabel")->text(), QString("%1").arg(sats, 2, 10, QChar('0')));
    }
}

TEST(VehicleStatusPanel, HemisphereCodes) {
    EXPECT_EQ(VehicleDataAnalysisWidget::HemisphereCode('E'), 1);
    EXPECT_EQ(VehicleDataAnalysisWidget::HemisphereCode('W'), 2);
    EXPECT_EQ(VehicleDataAnalysisWidget::HemisphereCode('N'), 3);
    EXPECT_EQ(VehicleDataAnalysisWidget::HemisphereCode('S'), 4);
    EXPECT_EQ(VehicleDataAnalysisWidget::HemisphereCode('x'), 0);
}

// --- tab panel ----------------------------------------------------------------

TEST(TimeVehicleDataPanel, TabsAndRecordReachesTheChartOnce) {
    setSpeedSettings("0");
    TimeVehicleDataWidget panel;
    ziraz::TabWidget* tabs = panel.tabWidget();
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(tabs->tabText(0), "TimeAxis");
    EXPECT_EQ(tabs->tabText(1), "VehicleData");
    EXPECT_EQ(tabs->tabText(2), "Gravity");
    // The status panel scrolls inside its tab when the tab is narrower than it.
    EXPECT_TRUE(panel.findChild<QWidget*>("vehicleDataTab")->isAncestorOf(panel.vehicleDataAnalysisWidget()));
    EXPECT_EQ(panel.gravitySensorWidget()->parentWidget()->objectName(), "gravityTab");

    VEH_META_INFO info = vehtest::Record(4500000);
    info.runInfo.gSensorScale = 1000;
    panel.vehicleDataAnalysisWidget()->onUpdateVehicleData1(info);
    EXPECT_EQ(panel.gravitySensorWidget()->plotX()->graph(0)->dataCount(), 9);
    EXPECT_EQ(panel.gravitySensorWidget()->plotSpeed()->graph(0)->dataCount(), 1);

    tabs->setCurrentIndex(1);
    panel.vehicleDataAnalysisWidget()->onUpdateVehicleData1(info);
    EXPECT_EQ(panel.gravitySensorWidget()->plotX()->graph(0)->dataCount(), 18);
    EXPECT_EQ(panel.findChild<QLabel*>("speedLabel")->text(), "045 KPH");

    // The record type is known by name, for the queued hops from the player.
    EXPECT_NE(QMetaType::type("VEH_META_INFO"), QMetaType::UnknownType);
    EXPECT_EQ(QMetaType::sizeOf(QMetaType::type("VEH_META_INFO")), 564);
}

// The lamps are seen: each shows a picture from the start (off) and a
// different one when its signal is on.
TEST(VehicleStatusPanel, LampsShowTheirPicturesOffAndOn) {
    setSpeedSettings("0");
    VehicleDataAnalysisWidget panel;
    panel.resize(1038, 130);
    panel.show();
    // The lamp as seen: drawn over the face it sits on.
    const auto drawn = [](QWidget* w) {
        return w->parentWidget()->grab(w->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    };
    // Pixels that stand out from the face (its colour at the lamp's corner).
    const auto visible = [](const QImage& image) {
        const int face = qGray(image.pixel(0, 0));
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) n += qAbs(qGray(image.pixel(x, y)) - face) > 40;
        return n;
    };
    const struct {
        const char* name;
        std::function<void(VEH_META_INFO&)> light;
    } lamps[] = {
        {"leftTurnBtn", [](VEH_META_INFO& i) { i.runInfo.leftLight = 1; }},
        {"rightTurnBtn", [](VEH_META_INFO& i) { i.runInfo.rightLight = 1; }},
        {"alarmBtn", [](VEH_META_INFO& i) { i.runInfo.alarm = 1; }},
        {"brakeBtn", [](VEH_META_INFO& i) { i.runInfo.brake = 1; }},
        {"backCarBtn", [](VEH_META_INFO& i) { i.runInfo.reverse = 1; }},
    };
    for (const auto& lamp : lamps) {
        SCOPED_TRACE(lamp.name);
        auto* button = child<QToolButton>(&panel, lamp.name);
        panel.onUpdateVehicleData1(vehtest::Record());
        const QImage off = drawn(button);
        EXPECT_GT(visible(off), 10) << "the lamp cannot be seen when off";
        VEH_META_INFO lit = vehtest::Record();
        lamp.light(lit);
        panel.onUpdateVehicleData1(lit);
        const QImage on = drawn(button);
        EXPECT_GT(visible(on), 10);
        EXPECT_NE(on, off);
    }
    // Before any record every lamp shows its off picture.
    VehicleDataAnalysisWidget fresh;
    for (const auto& lamp : lamps) EXPECT_FALSE(child<QToolButton>(&fresh, lamp.name)->styleSheet().isEmpty()) << lamp.name;
}

// At the smallest window (the tab panel beside the search panel) every tab
// title shows whole, selected or not, and the instruments never overlap.
TEST(TimeVehicleDataPanel, TitlesWholeAndInstrumentsApartAtTheSmallestWindow) {
    setSpeedSettings("0");
    for (int width : {885, 1530}) {
        SCOPED_TRACE(width);
        TimeVehicleDataWidget panel;
        panel.resize(width, 220);
        panel.show();
        EXPECT_EQ(panel.width(), width);  // the panel does not ask for more than the window has
        ziraz::TabWidget* tabs = panel.tabWidget();
        for (int selected = 0; selected < tabs->count(); ++selected) {
            tabs->setCurrentIndex(selected);
            QApplication::processEvents();
            QTabBar* bar = tabs->tabBar();
            for (int i = 0; i < tabs->count(); ++i) {
                SCOPED_TRACE(tabs->tabText(i).toStdString());
                EXPECT_GE(bar->tabRect(i).width(), bar->fontMetrics().horizontalAdvance(tabs->tabText(i)) + 8);
                EXPECT_GE(bar->tabRect(i).left(), 0);
                EXPECT_LE(bar->tabRect(i).right(), bar->width());
            }
        }
        tabs->setCurrentIndex(1);
        QApplication::processEvents();
        VehicleDataAnalysisWidget* data = panel.vehicleDataAnalysisWidget();
        int right = -1;
        for (const char* name : {"speedAndRotateWidget", "vehicleStateWidget", "XWidget", "YWidget", "ZWidget",
                                 "VWidget", "widget_7"}) {
            SCOPED_TRACE(name);
            QWidget* w = data->findChild<QWidget*>(name);
            ASSERT_NE(w, nullptr);
            EXPECT_GT(w->x(), right) << "overlaps the one before";
            right = w->geometry().right();
        }
        // The GPS block's texts fit its width.
        for (const char* name : {"label_2", "longValue", "latValue"}) {
            auto* label = data->findChild<QLabel*>(name);
            ASSERT_NE(label, nullptr) << name;
            int width = label->fontMetrics().horizontalAdvance(label->text());
            if (std::string(name) == "label_2")
                width += 6 + data->findChild<QLabel*>("satelliteCountLabel")->fontMetrics().horizontalAdvance("00");
            EXPECT_LE(width, data->findChild<QWidget*>("widget_7")->width()) << name;
        }
    }
}
