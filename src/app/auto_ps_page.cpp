#include "app/auto_ps_page.h"

#include "app/station.h"
#include "app/widgets.h"
#include "rds/rds_model.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace zfm {

namespace {

// The title display reacts to clicks although it is read-only.
class ClickableLine : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent *e) override
    {
        QLineEdit::mousePressEvent(e);
        if (onClick && e->button() == Qt::LeftButton)
            onClick();
    }
};

QLineEdit *lineEdit(QWidget *parent, const char *name, int maxLength)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(maxLength);
    return edit;
}

QPushButton *browseButton(QWidget *parent, const char *name)
{
    auto *b = new QPushButton(QStringLiteral("Browse"), parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(QStringLiteral("Browse for file name with song name"));
    return b;
}

} // namespace

QString chooseTextFile(QWidget *parent, const QString &path)
{
    // Stored paths may come from Windows ("c:\\SongName.txt").
    const QString native = QDir::fromNativeSeparators(QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')));
    QString folder = QFileInfo(native).path();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    QFileDialog dialog(
        parent, QStringLiteral("Browse to file with song name (*.txt) ..."), folder, QStringLiteral("*.txt"));
    dialog.setObjectName(QStringLiteral("frmBrowse"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

AutoPsPage::AutoPsPage(Station &station, QWidget *parent) : QWidget(parent), station_(station)
{
    auto *outer = new QVBoxLayout(this);
    QGroupBox *frame = ui::frame(this, QStringLiteral("PS and RT"), QStringLiteral("Automatic PS update"));
    outer->addWidget(frame);
    auto *layout = new QVBoxLayout(frame);

    QGroupBox *staticFrame = ui::frame(frame, QStringLiteral("Static PS"));
    auto *staticForm = new QFormLayout(staticFrame);
    staticPs_ = lineEdit(staticFrame, "txtPS0", kPsLength);
    staticPs_->setToolTip(QStringLiteral("The station name, eight characters"));
    staticPs_->setFont(QFont(QStringLiteral("monospace")));
    ui::addRow(staticForm, QStringLiteral("PS - Static:"), staticPs_);
    connect(staticPs_, &QLineEdit::editingFinished, this, [this] {
        SettingsRecord &r = station_.record();
        r.PS[0] = staticPs_->text();
        NormalizePSTexts(r);
        staticPs_->setText(r.PS[0]);
        station_.save();
    });
    layout->addWidget(staticFrame);

    // Automatic PS.
    QGroupBox *psFrame = ui::frame(frame, QStringLiteral("Auto update PS from txt file (SE only!)"),
        QStringLiteral("Updates the PS whenever the file changes"));
    auto *psGrid = new QGridLayout(psFrame);
    psYes_ = ui::option(psFrame, "optAutoPSYes", QStringLiteral("Yes"));
    psNo_ = ui::option(psFrame, "optAutoPSNo", QStringLiteral("No"));
    psYes_->setAccessibleName(QStringLiteral("Auto update PS: Yes"));
    psNo_->setAccessibleName(QStringLiteral("Auto update PS: No"));
    insertDate_ = new QCheckBox(QStringLiteral("Insert DATE"), psFrame);
    insertDate_->setObjectName(QStringLiteral("chkInsertDate"));
    insertDate_->setToolTip(QStringLiteral("Inserts DATA into PS"));
    psPath_ = lineEdit(psFrame, "txtAutoPSPath", 32767);
    psPath_->setReadOnly(true);
    psPath_->setAccessibleName(QStringLiteral("PS file"));
    auto *psBrowse = browseButton(psFrame, "cmdBrowsePS");
    psGrid->addWidget(psYes_, 0, 0);
    psGrid->addWidget(psNo_, 0, 1);
    psGrid->addWidget(insertDate_, 0, 2, Qt::AlignRight);
    psGrid->addWidget(psPath_, 1, 0, 1, 3);
    psGrid->addWidget(psBrowse, 1, 3);
    psGrid->setColumnStretch(2, 1);
    layout->addWidget(psFrame);

    // Automatic RT.
    QGroupBox *rtFrame = ui::frame(frame, QStringLiteral("Auto update RT from txt file"),
        QStringLiteral("Updates the RT whenever the file changes"));
    auto *rtGrid = new QGridLayout(rtFrame);
    rtYes_ = ui::option(rtFrame, "optAutoRTYes", QStringLiteral("Yes"));
    rtNo_ = ui::option(rtFrame, "optAutoRTNo", QStringLiteral("No"));
    rtYes_->setAccessibleName(QStringLiteral("Auto update RT: Yes"));
    rtNo_->setAccessibleName(QStringLiteral("Auto update RT: No"));
    rtPath_ = lineEdit(rtFrame, "txtAutoRTPath", 32767);
    rtPath_->setReadOnly(true);
    rtPath_->setAccessibleName(QStringLiteral("RT file"));
    auto *rtBrowse = browseButton(rtFrame, "cmdBrowseRT");
    rtGrid->addWidget(rtYes_, 0, 0);
    rtGrid->addWidget(rtNo_, 0, 1);
    rtGrid->addWidget(rtPath_, 1, 0, 1, 3);
    rtGrid->addWidget(rtBrowse, 1, 3);
    rtGrid->setColumnStretch(2, 1);
    layout->addWidget(rtFrame);

    auto *texts = new QFormLayout;
    auto *title = new ClickableLine(frame);
    title->setObjectName(QStringLiteral("txtTitle"));
    title->setReadOnly(true);
    title->setToolTip(QStringLiteral("The title read from the PS file; click to use it as RadioText"));
    title->onClick = [this] { emit titleClicked(); };
    title_ = title;
    ui::addRow(texts, QStringLiteral("Now playing:"), title_);
    radioText_ = lineEdit(frame, "txtRT", kTextLength);
    radioText_->setToolTip(QStringLiteral("RadioText, up to 64 characters"));
    ui::addRow(texts, QStringLiteral("RadioText:"), radioText_);
    layout->addLayout(texts);
    layout->addStretch();

    AutoUpdateEngine &engine = station_.autoUpdate();
    connect(radioText_, &QLineEdit::textEdited, &engine, &AutoUpdateEngine::setRtBoxText);
    connect(radioText_, &QLineEdit::editingFinished, this,
        [this] { station_.autoUpdate().setRtBoxText(padText(radioText_->text())); });
    connect(psYes_, &QRadioButton::clicked, this, [this] { station_.autoUpdate().setPsUpdate(true); });
    connect(psNo_, &QRadioButton::clicked, this, [this] { station_.autoUpdate().setPsUpdate(false); });
    connect(rtYes_, &QRadioButton::clicked, this, [this] { station_.autoUpdate().setRtUpdate(true); });
    connect(rtNo_, &QRadioButton::clicked, this, [this] { station_.autoUpdate().setRtUpdate(false); });
    connect(insertDate_, &QCheckBox::clicked, &engine, &AutoUpdateEngine::setInsertDate);
    connect(this, &AutoPsPage::titleClicked, &engine, &AutoUpdateEngine::titleDisplayClicked);
    connect(&engine, &AutoUpdateEngine::changed, this, &AutoPsPage::refresh);
    connect(psBrowse, &QPushButton::clicked, this, [this] { browse(true); });
    connect(rtBrowse, &QPushButton::clicked, this, [this] { browse(false); });
    refresh();
}

void AutoPsPage::browse(bool forPs)
{
    const SettingsRecord &r = station_.record();
    const QString chosen = chooseTextFile(this, forPs ? r.AutoPSPath : r.AutoRTPath);
    if (chosen.isEmpty())
        return;
    const QString path = QDir::toNativeSeparators(chosen);
    AutoUpdateEngine &engine = station_.autoUpdate();
    forPs ? engine.setPsPath(path) : engine.setRtPath(path);
    (forPs ? psPath_ : rtPath_)->setText(path);
}

void AutoPsPage::refresh()
{
    const SettingsRecord &r = station_.record();
    const AutoUpdateEngine &engine = station_.autoUpdate();
    staticPs_->setText(r.PS[0]);
    psYes_->setChecked(engine.psUpdateOn());
    psNo_->setChecked(!engine.psUpdateOn());
    // During a read-back the RT update rests; the choice on screen stays as it was.
    if (!station_.ReadBackBusy) {
        rtYes_->setChecked(engine.rtUpdateOn());
        rtNo_->setChecked(!engine.rtUpdateOn());
    }
    title_->setText(engine.titleDisplay());
    {
        const QSignalBlocker block(insertDate_);
        insertDate_->setChecked(r.InsertDate);
    }
    psPath_->setText(r.AutoPSPath);
    rtPath_->setText(r.AutoRTPath);
    if (!radioText_->hasFocus())
        radioText_->setText(engine.rtBoxText());
}

} // namespace zfm
