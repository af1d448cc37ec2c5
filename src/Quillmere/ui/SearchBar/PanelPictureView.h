#pragma once
// The picture list of the search panel's Evidence page: a one-column table
// of picture names whose rows hold the full path under role 257. Selecting
// a row (by the operator or by onSelectPicture) reports the picture's path.
#include <QString>
#include <QTableView>

class PanelPictureView : public QTableView {
    Q_OBJECT
public:
    explicit PanelPictureView(QWidget* parent = nullptr);
    // Scroll bars of the panel's style.
    void initScrollBarStyle();

public slots:
    // Selects the row and emits signalCurrentPicture with its full path.
    void onSelectPicture(int row);

signals:
    void signalCurrentPicture(QString picturePath);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
};
