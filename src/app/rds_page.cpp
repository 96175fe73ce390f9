#include "app/rds_page.h"

#include "app/tx_main_page.h"
#include "app/widgets.h"
#include "rds/rds_model.h"
#include "station/station.h"
#include "transmitter/transmitter_tables.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace zfm {

namespace {

void check(QWidget *page, const char *name, bool on)
{
    if (auto *b = page->findChild<QAbstractButton *>(QLatin1String(name))) {
        const QSignalBlocker block(b);
        b->setChecked(on);
    }
}

} // namespace

RdsPage::RdsPage(Station &station, QWidget *parent) : QWidget(parent), station_(station)
{
    SettingsRecord &r = station_.record();
    auto *grid = new QGridLayout(this);

    // Left column: deviation, groups, AF.
    auto *left = new QVBoxLayout;
    QGroupBox *deviation = ui::frame(this, QStringLiteral("RDS deviation"));
    auto *devForm = new QFormLayout(deviation);
    const TransmitterList &rdsPilot = *transmitterList(&SettingsRecord::RDSPilot);
    ui::addRow(devForm, QLatin1String(rdsPilot.caption), transmitterCombo(station_, rdsPilot, deviation));
    left->addWidget(deviation);

    QGroupBox *groups = ui::frame(this, QStringLiteral("RDS Groups"));
    auto *groupsLayout = new QVBoxLayout(groups);
    auto *active = ui::captioned<QCheckBox>(
        groups, "chkRDSActive", QStringLiteral("RDS active"), QStringLiteral("Switch the RDS encoder on or off"));
    auto *grt = ui::captioned<QCheckBox>(
        groups, "chkGRT", QStringLiteral("RT"), QStringLiteral("Broadcast RadioText groups"));
    auto *geon
        = ui::captioned<QCheckBox>(groups, "chkGEON", QStringLiteral("EON"), QStringLiteral("Broadcast EON groups"));
    for (QCheckBox *b : {active, grt, geon})
        groupsLayout->addWidget(b);
    connect(active, &QCheckBox::clicked, this, [this](bool on) {
        station_.record().RDSActive = on;
        station_.save();
    });
    connect(grt, &QCheckBox::clicked, this, [this](bool on) {
        station_.record().GRT = on ? 1 : 0;
        station_.save();
    });
    connect(geon, &QCheckBox::clicked, this, [this](bool on) {
        station_.record().GEON = on ? 1 : 0;
        station_.save();
    });
    left->addWidget(groups);

    QGroupBox *afFrame = ui::frame(this, QStringLiteral("AF"));
    auto *afForm = new QFormLayout(afFrame);
    af1_ = ui::list(afFrame, "cmbAF1", afLabels());
    af1_->setToolTip(QStringLiteral("Alternative frequency in MHz"));
    ui::addRow(afForm, QStringLiteral("AF1"), af1_);
    connect(af1_, &QComboBox::activated, this, [this](int position) {
        setAlternativeFrequency(station_.record(), 1, position);
        station_.save();
    });
    left->addWidget(afFrame);
    left->addStretch();
    grid->addLayout(left, 0, 0, 2, 1);

    // PI code.
    QGroupBox *pi = ui::frame(this, QStringLiteral("PI code"));
    auto *piLayout = new QGridLayout(pi);
    country_ = ui::list(pi, "cmbCountry", countryLabels());
    area_ = ui::list(pi, "cmbAreaCoverage", areaLabels());
    reference_ = ui::list(pi, "cmbProgramReference", {});
    reference_->addItems(programReferenceLabels());
    const QString captions[]
        = {QStringLiteral("Country"), QStringLiteral("Area coverage"), QStringLiteral("Program reference")};
    QComboBox *piLists[] = {country_, area_, reference_};
    for (int i = 0; i < 3; ++i) {
        auto *label = new QLabel(captions[i], pi);
        label->setBuddy(piLists[i]);
        piLists[i]->setAccessibleName(captions[i]);
        piLayout->addWidget(label, 0, i);
        piLayout->addWidget(piLists[i], 1, i);
    }
    auto *piCaption = new QLabel(QStringLiteral("PI code"), pi);
    piCode_ = new QLabel(pi);
    piCode_->setObjectName(QStringLiteral("lblPICode"));
    piCode_->setAccessibleName(QStringLiteral("PI code"));
    QFont bold = piCode_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
    piCode_->setFont(bold);
    auto *tst = new QPushButton(QStringLiteral("↻"), pi);
    tst->setObjectName(QStringLiteral("tst"));
    tst->setToolTip(QStringLiteral("Rebuild the PI code display"));
    tst->setAccessibleName(QStringLiteral("Rebuild the PI code display"));
    tst->setFixedWidth(tst->sizeHint().height());
    piLayout->addWidget(piCaption, 2, 0);
    piLayout->addWidget(piCode_, 2, 1);
    piLayout->addWidget(tst, 2, 2, Qt::AlignRight);
    connect(tst, &QPushButton::clicked, this, &RdsPage::showPiCode);
    connect(country_, &QComboBox::activated, this, [this] {
        const int v = countryFromText(country_->currentText());
        if (v > 0)
            station_.record().CountryCode = static_cast<int16_t>(v);
        station_.save();
        showPiCode();
    });
    connect(area_, &QComboBox::activated, this, [this] {
        const int v = areaFromText(area_->currentText());
        if (v >= 0)
            station_.record().AreaCoverage = static_cast<int16_t>(v);
        station_.save();
        showPiCode();
    });
    connect(reference_, &QComboBox::activated, this, [this](int position) {
        station_.record().ProgramReference = static_cast<int16_t>(position);
        station_.save();
        showPiCode();
    });
    grid->addWidget(pi, 0, 1, 1, 2);

    // ECC and PTY.
    auto *lists = new QFormLayout;
    ecc_ = ui::list(this, "cmbECC", eccLabels());
    pty_ = ui::list(this, "cmbPTY", ptyLabels());
    ui::addRow(lists, QStringLiteral("Country - ECC"), ecc_);
    ui::addRow(lists, QStringLiteral("Program type - PTY"), pty_);
    connect(ecc_, &QComboBox::activated, this, [this] {
        const int v = eccFromText(ecc_->currentText());
        if (v > 0)
            station_.record().ECC = static_cast<int16_t>(v);
        station_.save();
    });
    connect(pty_, &QComboBox::activated, this, [this] {
        const int v = ptyFromText(pty_->currentText());
        if (v >= 0)
            station_.record().PTY = static_cast<int16_t>(v);
        station_.save();
    });
    grid->addLayout(lists, 1, 1, 1, 2);

    // Flags and decoder identification, each an option pair.
    auto *pairs = new QGridLayout;
    addOptionPair(pairs, 0, 0, QStringLiteral("TP"), "TP", QStringLiteral("1"), QStringLiteral("0"), &r.TP);
    addOptionPair(pairs, 0, 1, QStringLiteral("TA"), "TA", QStringLiteral("1"), QStringLiteral("0"), &r.TA);
    addOptionPair(pairs, 0, 2, QStringLiteral("Music/Speech"), "MS", QStringLiteral("1"), QStringLiteral("0"), &r.MS);
    addOptionPair(
        pairs, 1, 0, QStringLiteral("Mono/stereo"), "DId0", QStringLiteral("S"), QStringLiteral("M"), &r.DId[0]);
    addOptionPair(
        pairs, 1, 1, QStringLiteral("Artificial head"), "DId1", QStringLiteral("Y"), QStringLiteral("N"), &r.DId[1]);
    addOptionPair(
        pairs, 1, 2, QStringLiteral("Compression"), "DId2", QStringLiteral("Y"), QStringLiteral("N"), &r.DId[2]);
    addOptionPair(
        pairs, 1, 3, QStringLiteral("Dynamic PTY"), "DId3", QStringLiteral("Y"), QStringLiteral("N"), &r.DId[3]);
    grid->addLayout(pairs, 2, 0, 1, 3);
    grid->setRowStretch(3, 1);
    refresh();
}

void RdsPage::addOptionPair(QGridLayout *grid, int row, int column, const QString &frameTitle, const char *name,
    const QString &one, const QString &zero, int16_t *field)
{
    QGroupBox *f = ui::frame(this, frameTitle);
    auto *layout = new QHBoxLayout(f);
    const QByteArray base = QByteArray("opt") + name;
    QRadioButton *on = ui::option(f, (base + "On").constData(), one);
    QRadioButton *off = ui::option(f, (base + "Off").constData(), zero);
    on->setAccessibleName(frameTitle + QLatin1Char(' ') + one);
    off->setAccessibleName(frameTitle + QLatin1Char(' ') + zero);
    layout->addWidget(on);
    layout->addWidget(off);
    // Both buttons do the same: 1 when the pair's "1" button is selected.
    auto store = [this, on, field] {
        *field = on->isChecked() ? 1 : 0;
        station_.save();
    };
    connect(on, &QRadioButton::clicked, this, store);
    connect(off, &QRadioButton::clicked, this, store);
    grid->addWidget(f, row, column);
}

void RdsPage::showPiCode()
{
    piCode_->setText(piCodeText(country_->currentText(), area_->currentIndex(), reference_->currentText()));
}

void RdsPage::refresh()
{
    const SettingsRecord &r = station_.record();
    showPosition(country_, r.CountryCode - 1);
    showPosition(area_, r.AreaCoverage);
    showPosition(reference_, r.ProgramReference);
    showPosition(ecc_, r.ECC - 1);
    showPosition(pty_, r.PTY);
    showPosition(af1_, r.AF[1]);
    if (auto *combo = findChild<QComboBox *>(QStringLiteral("cmbRDSPilot")))
        showPosition(combo, r.RDSPilot);
    check(this, "chkRDSActive", r.RDSActive);
    check(this, "chkGRT", r.GRT == 1);
    check(this, "chkGEON", r.GEON == 1);
    const std::pair<const char *, int16_t> pairs[] = {{"TP", r.TP}, {"TA", r.TA}, {"MS", r.MS}, {"DId0", r.DId[0]},
        {"DId1", r.DId[1]}, {"DId2", r.DId[2]}, {"DId3", r.DId[3]}};
    for (const auto &[name, value] : pairs) {
        check(this, (QByteArray("opt") + name + "On").constData(), value != 0);
        check(this, (QByteArray("opt") + name + "Off").constData(), value == 0);
    }
    showPiCode();
}

} // namespace zfm
