// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record-type filter of one time-slider row: a pop-up frame with one
// check box per record type of the row, an "All" box and OK / Cancel. OK
// sends the ticked type codes with SignalFilter.
#include <QFrame>
#include <QIcon>
#include <QList>
#include <QMap>
#include <QString>

class QCheckBox;
class QFormLayout;
class QPushButton;

class CTimeSliderFilterPopup : public QFrame {
    Q_OBJECT
public:
    explicit CTimeSliderFilterPopup(QWidget* parent = nullptr);
    ~CTimeSliderFilterPopup() override;

    // Adds a ticked box for the type; "&" in the text shows as itself.
    void addType(const QIcon& icon, const QString& text, int type);
    // Removes every type box; the applied types are emptied as well.
    void clearTypes();
    // True when at least one type box is present.
    bool hasTypes() const;

    QCheckBox* allBox() const { return m_allBox; }
    QPushButton* okButton() const { return m_okButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    QFormLayout* formLayout() const { return m_formLayout; }
    const QMap<QCheckBox*, int>& typeBoxes() const { return m_typeBoxes; }
    QList<int> appliedTypes() const { return m_appliedTypes; }

signals:
    void SignalFilter(QList<int> types);

public slots:
    void OnClickOkBtn();
    void OnClickCancelBtn();
    void OnStateChanged(int state);
    void OnFilterStateChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QFormLayout* m_formLayout = nullptr;
    QCheckBox* m_allBox = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QMap<QCheckBox*, int> m_typeBoxes;
    QList<int> m_appliedTypes;
};
