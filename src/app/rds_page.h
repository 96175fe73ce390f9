#pragma once

#include <QWidget>

class QComboBox;
class QGridLayout;
class QLabel;

namespace zfm {

class Station;

// "PI, PT&Y...": RDS deviation, the group switches, the PI code with its three
// lists, ECC, PTY, the flags, decoder identification and the first AF.
class RdsPage : public QWidget {
    Q_OBJECT
public:
    explicit RdsPage(Station &station, QWidget *parent = nullptr);
    void refresh();
    // Rebuilds the "PI code" display from the three lists.
    void showPiCode();

private:
    void addOptionPair(QGridLayout *grid, int row, int column, const QString &frame, const char *name,
        const QString &one, const QString &zero, int16_t *field);

    Station &station_;
    QComboBox *country_;
    QComboBox *area_;
    QComboBox *reference_;
    QComboBox *ecc_;
    QComboBox *pty_;
    QComboBox *af1_;
    QLabel *piCode_;
};

} // namespace zfm
