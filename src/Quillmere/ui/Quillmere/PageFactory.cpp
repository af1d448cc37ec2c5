#include "PageFactory.h"

#include <QVariant>
#include <type_traits>
#include <utility>
#include <QWidget>

// A page is real when its library's header is reachable from this target.
#if __has_include("TrackPlaybackWidget.h")
#include "TrackPlaybackWidget.h"
#define KEL_HAS_TRACK_PAGE 1
#endif
#if __has_include("SettingWidget.h")
#include "SettingWidget.h"
#define KEL_HAS_SETTING_PAGE 1
#endif
#if __has_include("LogWidget.h")
#include "LogWidget.h"
#define KEL_HAS_LOG_PAGE 1
#endif
#if __has_include("AlarmWidget.h")
#include "AlarmWidget.h"
#define KEL_HAS_ALARM_PAGE 1
#endif
#if __has_include("PlaybackControlArea.h")
#include "PlaybackControlArea.h"
#define KEL_HAS_CONTROL_AREA 1
#endif
#if __has_include("TimeVehicleDataWidget.h")
#include "TimeVehicleDataWidget.h"
#define KEL_HAS_VEHICLE_PANEL 1
#endif
#if __has_include("SearchBarWidget.h")
#include "SearchBarWidget.h"
#define KEL_HAS_SEARCH_BAR 1
#endif
#if __has_include("VideoTimeSliderWidget.h")
#include "VideoTimeSliderWidget.h"
#define KEL_HAS_TIME_AXIS 1
#endif

namespace QuillmerePages {

namespace {
const char kPlaceholder[] = "kelPagePlaceholder";

[[maybe_unused]] QWidget* Placeholder(QWidget* parent, const char* name) {
    auto* page = new QWidget(parent);
    page->setObjectName(name);
    page->setProperty(kPlaceholder, true);
    return page;
}

// What a page class offers is looked up at compile time, so a page whose
// interface is still growing builds with the frame; a call it does not offer
// is left out.
#define KEL_PAGE_OFFERS(Trait, expression)                                         \
    template <class T, class = void>                                               \
    struct Trait : std::false_type {};                                             \
    template <class T>                                                             \
    struct Trait<T, std::void_t<decltype(expression)>> : std::true_type {};

KEL_PAGE_OFFERS(OffersSetPanelMode, std::declval<T&>().setPanelMode(0))
KEL_PAGE_OFFERS(OffersConnectTimeUpdate, std::declval<T&>().connectTimeUpdate())
KEL_PAGE_OFFERS(OffersConnectVehicleDataUpdate, std::declval<T&>().connectVehicleDataUpdate())
KEL_PAGE_OFFERS(OffersSetCover, std::declval<T&>().setCover(true))
KEL_PAGE_OFFERS(OffersStopAll, std::declval<T&>().stopAll())

template <class T>
QWidget* Make(QWidget* parent, [[maybe_unused]] const char* name) {
    if constexpr (std::is_constructible_v<T, QWidget*>)
        return new T(parent);
    else
        return Placeholder(parent, name);
}

template <class T>
QWidget* MakeWithMode(QWidget* parent, [[maybe_unused]] int mode, [[maybe_unused]] const char* name) {
    if constexpr (std::is_constructible_v<T, QWidget*, int>)
        return new T(parent, mode);
    else if constexpr (std::is_constructible_v<T, int, QWidget*>)
        return new T(mode, parent);
    else
        return Make<T>(parent, name);
}

// Each call goes through a template of the page classes, so that a call a
// page does not offer is never compiled.
template <class Bar>
void DoSetPanelMode(QWidget* searchBar, int mode) {
    if constexpr (OffersSetPanelMode<Bar>::value)
        if (Bar* bar = dynamic_cast<Bar*>(searchBar)) bar->setPanelMode(mode);
}
template <class Area>
void DoConnectTimeUpdate(QWidget* controlArea) {
    if constexpr (OffersConnectTimeUpdate<Area>::value)
        if (Area* area = dynamic_cast<Area*>(controlArea)) area->connectTimeUpdate();
}
template <class Area>
void DoConnectVehicleDataUpdate(QWidget* controlArea) {
    if constexpr (OffersConnectVehicleDataUpdate<Area>::value)
        if (Area* area = dynamic_cast<Area*>(controlArea)) area->connectVehicleDataUpdate();
}
template <class Area>
void DoSetCover(QWidget* controlArea, bool on) {
    if constexpr (OffersSetCover<Area>::value)
        if (Area* area = dynamic_cast<Area*>(controlArea)) area->setCover(on);
}
template <class Area>
void DoStopAll(QWidget* controlArea) {
    if constexpr (OffersStopAll<Area>::value)
        if (Area* area = dynamic_cast<Area*>(controlArea)) area->stopAll();
}
}  // namespace

bool IsPlaceholder(const QObject* page) { return !page || page->property(kPlaceholder).toBool(); }

QWidget* CreateTrackPage(QWidget* parent) {
#ifdef KEL_HAS_TRACK_PAGE
    return Make<TrackPlaybackWidget>(parent, "TrackPlaybackWidget");
#else
    return Placeholder(parent, "TrackPlaybackWidget");
#endif
}

QWidget* CreateSettingPage(QWidget* parent) {
#ifdef KEL_HAS_SETTING_PAGE
    return Make<SettingWidget>(parent, "SettingWidget");
#else
    return Placeholder(parent, "SettingWidget");
#endif
}

QWidget* CreateLogPage(QWidget* parent) {
#ifdef KEL_HAS_LOG_PAGE
    return Make<LogWidget>(parent, "LogWidget");
#else
    return Placeholder(parent, "LogWidget");
#endif
}

QWidget* CreateAlarmPage(QWidget* parent) {
#ifdef KEL_HAS_ALARM_PAGE
    return Make<CAlarmWidget>(parent, "CAlarmWidget");
#else
    return Placeholder(parent, "CAlarmWidget");
#endif
}

QWidget* CreateControlArea(QWidget* parent, int pageMode) {
#ifdef KEL_HAS_CONTROL_AREA
    return MakeWithMode<PlaybackControlArea>(parent, pageMode, "PlaybackControlArea");
#else
    QWidget* page = Placeholder(parent, "PlaybackControlArea");
    page->setProperty("pageMode", pageMode);
    return page;
#endif
}

QWidget* CreateVehicleDataPanel(QWidget* parent) {
#ifdef KEL_HAS_VEHICLE_PANEL
    return Make<TimeVehicleDataWidget>(parent, "TimeVehicleDataWidget");
#else
    return Placeholder(parent, "TimeVehicleDataWidget");
#endif
}

QWidget* CreateSearchBar(QWidget* parent) {
#ifdef KEL_HAS_SEARCH_BAR
    return Make<SearchBarWidget>(parent, "SearchBarWidget");
#else
    return Placeholder(parent, "SearchBarWidget");
#endif
}

QWidget* CreateWindowTimeAxis(QWidget* parent) {
#ifdef KEL_HAS_TIME_AXIS
    return Make<VideoTimeSliderWidget>(parent, "VideoTimeSliderWidget");
#else
    return Placeholder(parent, "VideoTimeSliderWidget");
#endif
}

QWidget* VehicleDataTimeAxis(QWidget* panel) {
    if (IsPlaceholder(panel)) return nullptr;
    for (QWidget* child : panel->findChildren<QWidget*>())
        if (child->inherits("VideoTimeSliderWidget")) return child;
    return nullptr;
}

void SetSearchBarPanelMode([[maybe_unused]] QWidget* searchBar, [[maybe_unused]] int mode) {
#ifdef KEL_HAS_SEARCH_BAR
    DoSetPanelMode<SearchBarWidget>(searchBar, mode);
#endif
}

namespace {
// Calls that hand one page to another: `Taker::member(Given*)`.
#define KEL_PAGE_HANDOVER(Name, member)                                                       \
    template <class Taker, class Given, class = void>                                         \
    struct Offers##Name : std::false_type {};                                                  \
    template <class Taker, class Given>                                                        \
    struct Offers##Name<Taker, Given,                                                          \
                        std::void_t<decltype(std::declval<Taker&>().member(std::declval<Given*>()))>> \
        : std::true_type {};                                                                   \
    template <class Taker, class Given>                                                        \
    void Do##Name(QWidget* taker, QWidget* given) {                                            \
        if constexpr (Offers##Name<Taker, Given>::value)                                       \
            if (Taker* t = dynamic_cast<Taker*>(taker)) t->member(dynamic_cast<Given*>(given)); \
    }

KEL_PAGE_HANDOVER(SetPlaybackControlArea, setPlaybackControlArea)
KEL_PAGE_HANDOVER(SetSearchBar, setSearchBar)
KEL_PAGE_HANDOVER(SetTimeSlider, setTimeSlider)
KEL_PAGE_HANDOVER(SetVehicleDataWidget, setVehicleDataWidget)
KEL_PAGE_HANDOVER(ConnectTimeWithShowPicture, connectTimeWithShowPicture)
}  // namespace

void SetSearchBarControlArea([[maybe_unused]] QWidget* searchBar, [[maybe_unused]] QWidget* controlArea) {
#if defined(KEL_HAS_SEARCH_BAR) && defined(KEL_HAS_CONTROL_AREA)
    DoSetPlaybackControlArea<SearchBarWidget, PlaybackControlArea>(searchBar, controlArea);
#endif
}

void ControlAreaSetSearchBar([[maybe_unused]] QWidget* controlArea, [[maybe_unused]] QWidget* searchBar) {
#if defined(KEL_HAS_SEARCH_BAR) && defined(KEL_HAS_CONTROL_AREA)
    DoSetSearchBar<PlaybackControlArea, SearchBarWidget>(controlArea, searchBar);
#endif
}

void ControlAreaSetTimeSlider([[maybe_unused]] QWidget* controlArea, [[maybe_unused]] QWidget* timeAxis) {
#if defined(KEL_HAS_TIME_AXIS) && defined(KEL_HAS_CONTROL_AREA)
    DoSetTimeSlider<PlaybackControlArea, VideoTimeSliderWidget>(controlArea, timeAxis);
#endif
}

void ControlAreaSetVehicleDataWidget([[maybe_unused]] QWidget* controlArea, [[maybe_unused]] QWidget* panel) {
#if defined(KEL_HAS_VEHICLE_PANEL) && defined(KEL_HAS_CONTROL_AREA)
    DoSetVehicleDataWidget<PlaybackControlArea, TimeVehicleDataWidget>(controlArea, panel);
#endif
}

void ControlAreaConnectTimeUpdate([[maybe_unused]] QWidget* controlArea) {
#ifdef KEL_HAS_CONTROL_AREA
    DoConnectTimeUpdate<PlaybackControlArea>(controlArea);
#endif
}

void ControlAreaConnectVehicleDataUpdate([[maybe_unused]] QWidget* controlArea) {
#ifdef KEL_HAS_CONTROL_AREA
    DoConnectVehicleDataUpdate<PlaybackControlArea>(controlArea);
#endif
}

void ControlAreaConnectTimeWithShowPicture([[maybe_unused]] QWidget* controlArea, [[maybe_unused]] QWidget* searchBar) {
#if defined(KEL_HAS_SEARCH_BAR) && defined(KEL_HAS_CONTROL_AREA)
    DoConnectTimeWithShowPicture<PlaybackControlArea, SearchBarWidget>(controlArea, searchBar);
#endif
}

void ControlAreaSetCover([[maybe_unused]] QWidget* controlArea, [[maybe_unused]] bool on) {
#ifdef KEL_HAS_CONTROL_AREA
    DoSetCover<PlaybackControlArea>(controlArea, on);
#endif
}

void ControlAreaStopAll([[maybe_unused]] QWidget* controlArea) {
#ifdef KEL_HAS_CONTROL_AREA
    DoStopAll<PlaybackControlArea>(controlArea);
#endif
}

}  // namespace QuillmerePages
