#include "app/auto_ps_page.h"

#include "app/widgets.h"
#include "rds/rds_model.h"
#include "station/station.h"

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
    return ui::captioned<QPushButton>(
        parent, name, QStringLiteral("Browse"), QStringLiteral("Browse for file name with song name"));
}

// A frame of the automatic update: "Yes"/"No", the file's path and "Browse".
struct UpdateFrame {
    QGroupBox *frame;
    QGridLayout *grid;
    QRadioButton *yes;
    QRadioButton *no;
    QLineEdit *path;
    QPushButton *browse;
};

UpdateFrame updateFrame(QWidget *parent, const char *which, const QString &title, const QString &toolTip)
{
    UpdateFrame f;
    const QByteArray w(which);
    f.frame = ui::frame(parent, title, toolTip);
    f.grid = new QGridLayout(f.frame);
    f.yes = ui::option(f.frame, ("optAuto" + w + "Yes").constData(), QStringLiteral("Yes"));
    f.no = ui::option(f.frame, ("optAuto" + w + "No").constData(), QStringLiteral("No"));
    f.yes->setAccessibleName(QStringLiteral("Auto update %1: Yes").arg(QLatin1String(which)));
    f.no->setAccessibleName(QStringLiteral("Auto update %1: No").arg(QLatin1String(which)));
    f.path = lineEdit(f.frame, ("txtAuto" + w + "Path").constData(), 32767);
    f.path->setReadOnly(true);
    f.path->setAccessibleName(QStringLiteral("%1 file").arg(QLatin1String(which)));
    f.browse = browseButton(f.frame, ("cmdBrowse" + w).constData());
    f.grid->addWidget(f.yes, 0, 0);
    f.grid->addWidget(f.no, 0, 1);
    f.grid->addWidget(f.path, 1, 0, 1, 3);
    f.grid->addWidget(f.browse, 1, 3);
    f.grid->setColumnStretch(2, 1);
    return f;
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
        normalizePsTexts(r);
        staticPs_->setText(r.PS[0]);
        station_.save();
    });
    layout->addWidget(staticFrame);

    // Automatic PS, with "Insert DATE" in its top row.
    const UpdateFrame ps = updateFrame(frame, "PS", QStringLiteral("Auto update PS from txt file (SE only!)"),
        QStringLiteral("Updates the PS whenever the file changes"));
    psYes_ = ps.yes;
    psNo_ = ps.no;
    psPath_ = ps.path;
    insertDate_ = new QCheckBox(QStringLiteral("Insert DATE"), ps.frame);
    insertDate_->setObjectName(QStringLiteral("chkInsertDate"));
    insertDate_->setToolTip(QStringLiteral("Inserts DATA into PS"));
    ps.grid->addWidget(insertDate_, 0, 2, Qt::AlignRight);
    changedOnly_ = new QCheckBox(QStringLiteral("Send only changed entries"), ps.frame);
    changedOnly_->setObjectName(QStringLiteral("chkAutoPSChangedOnly"));
    changedOnly_->setToolTip(QStringLiteral("Sends only the PS texts and delays that differ from the list the "
                                            "transmitter holds, so a new title is on air in seconds"));
    ps.grid->addWidget(changedOnly_, 2, 0, 1, 4);
    layout->addWidget(ps.frame);

    const UpdateFrame rt = updateFrame(frame, "RT", QStringLiteral("Auto update RT from txt file"),
        QStringLiteral("Updates the RT whenever the file changes"));
    rtYes_ = rt.yes;
    rtNo_ = rt.no;
    rtPath_ = rt.path;
    layout->addWidget(rt.frame);

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
    connect(changedOnly_, &QCheckBox::clicked, &engine, &AutoUpdateEngine::setChangedOnly);
    connect(this, &AutoPsPage::titleClicked, &engine, &AutoUpdateEngine::titleDisplayClicked);
    connect(&engine, &AutoUpdateEngine::changed, this, &AutoPsPage::refresh);
    connect(ps.browse, &QPushButton::clicked, this, [this] { browse(true); });
    connect(rt.browse, &QPushButton::clicked, this, [this] { browse(false); });
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
    if (!station_.line().has(JobKind::ReadBack)) {
        rtYes_->setChecked(engine.rtUpdateOn());
        rtNo_->setChecked(!engine.rtUpdateOn());
    }
    title_->setText(engine.titleDisplay());
    {
        const QSignalBlocker blockDate(insertDate_);
        const QSignalBlocker blockChanged(changedOnly_);
        insertDate_->setChecked(r.InsertDate);
        changedOnly_->setChecked(r.AutoPSChangedOnly);
    }
    psPath_->setText(r.AutoPSPath);
    rtPath_->setText(r.AutoRTPath);
    if (!radioText_->hasFocus())
        radioText_->setText(engine.rtBoxText());
}

} // namespace zfm
