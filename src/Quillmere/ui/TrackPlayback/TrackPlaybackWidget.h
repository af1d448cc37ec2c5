// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The track playback page: a start and an end date-time, a (hidden) disk
// chooser with its "Load Disk" button, above an empty track area. The disk list
// follows the attached physical disks.
#include "common/DiskTreeBox.h"
#include "ziraz/controls.h"

class QGridLayout;
class QHBoxLayout;
class QPushButton;

namespace ziraz {
class DateTimeEdit;
}

class TrackPlaybackWidget : public ziraz::Widget {
    Q_OBJECT
public:
    explicit TrackPlaybackWidget(QWidget* parent = nullptr);
    ~TrackPlaybackWidget() override;

    int physicalDiskCount() const { return m_diskCount; }

public slots:
    // Rebuilds the list of physical disks.
    void onReloadDisk();

private:
    void setupUi();

    struct Form {
        QGridLayout* gridLayout_2 = nullptr;
        QWidget* widget = nullptr;
        QGridLayout* gridLayout = nullptr;
        QHBoxLayout* horizontalLayout_3 = nullptr;
        QHBoxLayout* horizontalLayout = nullptr;
        ziraz::Label* label = nullptr;
        ziraz::DateTimeEdit* startTimeEdit = nullptr;
        QHBoxLayout* horizontalLayout_6 = nullptr;
        ziraz::Label* label_5 = nullptr;
        ziraz::DateTimeEdit* endTimeEdit = nullptr;
        QWidget* diskWidget = nullptr;
        QHBoxLayout* horizontalLayout_2 = nullptr;
        ziraz::Label* label_2 = nullptr;
        ziraz::ComboBox* diskCombox = nullptr;
        QHBoxLayout* horizontalLayout_4 = nullptr;
        QHBoxLayout* horizontalLayout_5 = nullptr;
        QPushButton* loadDisk = nullptr;
        QWidget* mapWidget = nullptr;
    } ui;

    DiskLettersRecord m_records[kDiskLettersRecordCount];
    int m_diskCount = 0;
};
