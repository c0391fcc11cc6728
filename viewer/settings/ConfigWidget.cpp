#include "ConfigWidget.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QIntValidator>
#include <QKeyEvent>
#include <QMessageBox>

#include <algorithm>
#include <tuple>

#include "ConfigLogic.h"
#include "CustomKeySequenceEdit.h"
#include "SaveFolderPrompt.h"
#include "SettingsStore.h"
#include "SuiteMessages.h"
#include "ui_ConfigWidget.h"

namespace {

constexpr int kPageListWidth = 104;  // the form's width, enough for the Chinese names
constexpr int kPageListSlack = 8;
constexpr int kUnchecked = 0;
constexpr int kChecked = 2;

int checkState(const QCheckBox* box)
{
    return box->isChecked() ? kChecked : kUnchecked;
}

void showTime(int milliseconds, QSpinBox* value, QComboBox* unit)
{
    const configlogic::TimeValue shown = configlogic::timeValueFromMs(milliseconds);
    value->setValue(shown.value);
    unit->setCurrentIndex(shown.unit);
}

// A folder shown from its start: a line edit given a text shows its end, which hides the
// leading "/" of a path a little longer than the field.
void showPath(QLineEdit* field, const QString& path)
{
    field->setText(path);
    field->setCursorPosition(0);
    field->setToolTip(path);
}

int timeOf(const QSpinBox* value, const QComboBox* unit)
{
    return configlogic::msFromTimeValue(value->value(), unit->currentIndex());
}

// What a page writes; the running indexes are not on the pages.
bool sameValues(const CaptureSettings& a, const CaptureSettings& b)
{
    const auto fields = [](const CaptureSettings& c) {
        return std::tie(c.savePath, c.autoSaveState, c.pictureType, c.nameRulePrefix,
                        c.nameRuleFormat, c.captureMode, c.grapNumberRadix, c.grapNumberStop,
                        c.grapNumberCount, c.grapTimeRadix, c.grapTimeStop, c.grapTimeCount,
                        c.keepBitDepth);
    };
    return fields(a) == fields(b);
}

bool sameValues(const RecordSettings& a, const RecordSettings& b)
{
    const auto fields = [](const RecordSettings& r) {
        return std::tie(r.savePath, r.autoSaveState, r.videoType, r.videoQuality, r.playSpeed,
                        r.autoFrameRate, r.nameRulePrefix, r.nameRuleFormat, r.frameInfoState,
                        r.frameStop, r.frameStopCount, r.timeStop, r.timeStopSeconds,
                        r.preTriggerSeconds);
    };
    return fields(a) == fields(b);
}

bool sameValues(const HotkeySettings& a, const HotkeySettings& b)
{
    const auto fields = [](const HotkeySettings& h) {
        return std::tie(h.windowSize, h.originalSize, h.enlarge, h.narrow, h.recording,
                        h.photogrape, h.onoff, h.displaySwitch);
    };
    return fields(a) == fields(b);
}

// Whole numbers up to the validator's top only. QIntValidator lets a number with no more
// digits than the top stand as unfinished input (300 for a top of 240), which would then
// be saved as something other than what the field shows.
class RateValidator : public QIntValidator {
public:
    using QIntValidator::QIntValidator;
    State validate(QString& input, int& position) const override
    {
        const State state = QIntValidator::validate(input, position);
        bool isNumber = false;
        const int value = input.toInt(&isNumber);
        return state == Intermediate && isNumber && value > top() ? Invalid : state;
    }
};

}  // namespace

ConfigWidget::ConfigWidget(int page, QWidget* parent)
    : QWidget(parent), ui(new Ui::ConfigWidget), page(page), store(settingsStore())
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);

    installEventFilter(this);
    for (CustomKeySequenceEdit* field : hotkeyFields())
        field->installEventFilter(this);
    ui->listWidget_menu->setFrameShape(QFrame::NoFrame);
    ui->label_error->hide();
    // The field takes only rates a recording can be written at, and says which.
    ui->lineEdit_autoFrameRate->setValidator(new RateValidator(
        kLowestCustomFrameRate, kHighestCustomFrameRate, ui->lineEdit_autoFrameRate));
    retranslate();

    for (QRadioButton* radio : {ui->radioButton_captureCountMode, ui->radioButton_captureTimeMode,
                                ui->radioButton_originalSpeed, ui->radioButton_autoSpeed})
        connect(radio, SIGNAL(toggled(bool)), this, SLOT(onRadioClickResult(bool)));
    connect(ui->listWidget_menu, SIGNAL(currentRowChanged(int)), this,
            SLOT(listWidgetCurrentRow(int)));
    connect(ui->comboBox_pictureType, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int) { showBitDepthChoice(); });
    connect(ui->comboBox_videoType, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int) { showSequenceChoices(); });
    connect(ui->spinBox_preTriggerSeconds, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [this](int) { showPreTriggerCost(); });

    ui->listWidget_menu->setCurrentRow(page);
    ui->stackedWidget->setCurrentIndex(page);

    fillRecordPage();
    fillCapturePage();
    fillHotkeyPage();
    // The recording page's rows need more height than the form's first size gives them.
    resize(size().expandedTo(sizeHint()));
    shownCapture = capturePageValues();
    shownRecord = recordPageValues();
    shownHotkeys = hotkeyPageValues();
}

ConfigWidget::~ConfigWidget()
{
    delete ui;
}

std::array<CustomKeySequenceEdit*, ConfigWidget::kHotkeyCount> ConfigWidget::hotkeyFields() const
{
    return {ui->keySequenceEdit_WindowSize, ui->keySequenceEdit_OriginalSize,
            ui->keySequenceEdit_Enlarge,    ui->keySequenceEdit_Narrow,
            ui->keySequenceEdit_Recording,  ui->keySequenceEdit_Photogrape,
            ui->keySequenceEdit_Onoff,      ui->keySequenceEdit_DisplaySwitch};
}

// ---- Filling the pages ------------------------------------------------------------------

void ConfigWidget::fillCapturePage()
{
    const CaptureSettings& c = store->captureSettings();
    showPath(ui->lineEdit_savePath, c.savePath);
    ui->checkBox_autoSaveState->setChecked(c.autoSaveState != 0);
    ui->comboBox_pictureType->setCurrentIndex(c.pictureType);
    ui->checkBox_keepBitDepth->setChecked(c.keepBitDepth != 0);
    showBitDepthChoice();
    ui->lineEdit_nameRulePrefix->setText(c.nameRulePrefix);
    ui->comboBox_nameRuleFormat->setCurrentIndex(c.nameRuleFormat);
    if (c.captureMode != 0)
        ui->radioButton_captureTimeMode->setChecked(true);
    else
        ui->radioButton_captureCountMode->setChecked(true);
    ui->spinBox_captureAsRadix->setValue(c.grapNumberRadix);
    ui->checkBox_numberStop->setChecked(c.grapNumberStop != 0);
    ui->spinBox_captureAsCount->setValue(c.grapNumberCount);
    showTime(c.grapTimeRadix, ui->spinBox_grapTimeRadix, ui->comboBox_grapTimeRadix);
    ui->checkBox_timeStop->setChecked(c.grapTimeStop != 0);
    showTime(c.grapTimeCount, ui->spinBox_grapTimeCount, ui->comboBox_grapTimeCount);
}

void ConfigWidget::fillRecordPage()
{
    const RecordSettings& r = store->recordSettings();
    showPath(ui->lineEdit_recordPath, r.savePath);
    ui->checkBox_recordAutoSaveState->setChecked(r.autoSaveState != 0);
    ui->comboBox_videoType->setCurrentIndex(r.videoType);
    ui->comboBox_videoQuality->setCurrentIndex(r.videoQuality);
    if (r.playSpeed != 0) {
        ui->radioButton_originalSpeed->setChecked(true);
        ui->widget_autoFrameRate->setEnabled(false);
    } else {
        ui->radioButton_autoSpeed->setChecked(true);
        ui->widget_autoFrameRate->setEnabled(true);
    }
    // A rate edited into the file shows as the rate a recording would use.
    ui->lineEdit_autoFrameRate->setText(QString::number(boundedCustomFrameRate(r.autoFrameRate)));
    ui->lineEdit_recordNameRulePrefix->setText(r.nameRulePrefix);
    ui->comboBox_recordNameRuleFormat->setCurrentIndex(r.nameRuleFormat);
    ui->checkBox_frameInfoState->setChecked(r.frameInfoState != 0);
    ui->checkBox_recordFrameStop->setChecked(r.frameStop != 0);
    ui->spinBox_recordFrameStopCount->setValue(r.frameStopCount);
    ui->checkBox_recordTimeStop->setChecked(r.timeStop != 0);
    ui->spinBox_recordTimeStopSeconds->setValue(r.timeStopSeconds);
    ui->spinBox_preTriggerSeconds->setValue(r.preTriggerSeconds);
    showSequenceChoices();
    showPreTriggerCost();
}

void ConfigWidget::setCameraFormat(int width, int height, double framesPerSecond)
{
    cameraWidth = width;
    cameraHeight = height;
    cameraRate = framesPerSecond;
    showPreTriggerCost();
}

bool ConfigWidget::showPreTriggerCost()
{
    constexpr double kMiB = 1024.0 * 1024.0;
    const int seconds = ui->spinBox_preTriggerSeconds->value();
    const double limitMiB = configlogic::kPreTriggerLimitBytes / kMiB;
    const qint64 bytes =
        configlogic::preTriggerBytes(cameraWidth, cameraHeight, cameraRate, seconds);
    bool fits = true;
    QString text;
    if (seconds == 0)
        text = tr("关闭 (内存上限 %1 MB)").arg(limitMiB, 0, 'f', 0);
    else if (bytes == 0)
        text = tr("内存上限 %1 MB; 打开相机后显示所需内存").arg(limitMiB, 0, 'f', 0);
    else {
        fits = bytes <= configlogic::kPreTriggerLimitBytes;
        text = tr("约 %1 MB (%2×%3, %4 帧/秒), 上限 %5 MB")
                   .arg(bytes / kMiB, 0, 'f', 0)
                   .arg(cameraWidth)
                   .arg(cameraHeight)
                   .arg(cameraRate, 0, 'f', 1)
                   .arg(limitMiB, 0, 'f', 0);
    }
    ui->label_preTriggerCost->setText(text);
    ui->label_preTriggerCost->setStyleSheet(fits ? QString()
                                                 : QStringLiteral("color: rgb(200, 0, 0);"));
    return fits;
}

void ConfigWidget::showSequenceChoices()
{
    // A sequence always has its frame list, and no encoder to set a quality for.
    const bool sequence = ui->comboBox_videoType->currentIndex() == kSequenceType;
    ui->checkBox_frameInfoState->setChecked(sequence ||
                                            store->recordSettings().frameInfoState != 0);
    ui->checkBox_frameInfoState->setEnabled(!sequence);
    ui->comboBox_videoQuality->setEnabled(!sequence);
}

void ConfigWidget::fillHotkeyPage()
{
    const HotkeySettings& h = store->hotkeySettings();
    const QString texts[kHotkeyCount] = {h.windowSize, h.originalSize, h.enlarge, h.narrow,
                                         h.recording,  h.photogrape,   h.onoff,   h.displaySwitch};
    const auto fields = hotkeyFields();
    for (int i = 0; i < kHotkeyCount; ++i) {
        fields[size_t(i)]->setKeySequence(
            QKeySequence::fromString(texts[i], QKeySequence::PortableText));
        hotkeyTexts[size_t(i)] = texts[i];
        fields[size_t(i)]->setBoundText(&hotkeyTexts[size_t(i)]);
    }
}

// ---- Capture page -----------------------------------------------------------------------

void ConfigWidget::showBitDepthChoice()
{
    // Only PNG and TIFF hold 16 bits; the choice is kept for when one of them is chosen.
    ui->checkBox_keepBitDepth->setEnabled(
        configlogic::pictureTypeHolds16Bits(ui->comboBox_pictureType->currentIndex()));
}

void ConfigWidget::on_pushButton_init_clicked()
{
    showPath(ui->lineEdit_savePath, SettingsStore::defaultPictureFolder());
    ui->checkBox_autoSaveState->setChecked(false);
    ui->comboBox_pictureType->setCurrentIndex(0);
    ui->checkBox_keepBitDepth->setChecked(false);
    ui->lineEdit_nameRulePrefix->setText(QStringLiteral("Image_"));
    ui->comboBox_nameRuleFormat->setCurrentIndex(0);
    ui->radioButton_captureCountMode->setChecked(true);
    ui->spinBox_captureAsRadix->setValue(1);
    ui->checkBox_numberStop->setChecked(false);
    ui->spinBox_captureAsCount->setValue(1);
    ui->spinBox_grapTimeRadix->setValue(1);
    ui->comboBox_grapTimeRadix->setCurrentIndex(configlogic::Seconds);
    ui->checkBox_timeStop->setChecked(false);
    ui->spinBox_grapTimeCount->setValue(1);
    ui->comboBox_grapTimeCount->setCurrentIndex(configlogic::Seconds);
    showResetDone();
}

bool ConfigWidget::acceptFolder(QLineEdit* field)
{
    const savefolder::Prepared folder = savefolder::prepare(this, field->text());
    if (!folder.ready) {
        if (!folder.declined)
            suite::showMessage(QMessageBox::Critical, this, tr("提示"), folder.refusal, tr("确定"));
        field->setFocus();
        return false;
    }
    // "/a//b/" and "/a/b" are one folder; the settings hold it once, plainly.
    field->setText(folder.folder);
    return true;
}

void ConfigWidget::on_pushButton_save_clicked()
{
    saveAndClose(CapturePage);
}

CaptureSettings ConfigWidget::capturePageValues() const
{
    CaptureSettings c;
    c.savePath = ui->lineEdit_savePath->text();
    c.autoSaveState = checkState(ui->checkBox_autoSaveState);
    c.pictureType = ui->comboBox_pictureType->currentIndex();
    c.keepBitDepth = checkState(ui->checkBox_keepBitDepth);
    c.nameRuleFormat = ui->comboBox_nameRuleFormat->currentIndex();
    c.nameRulePrefix = ui->lineEdit_nameRulePrefix->text();
    c.grapNumberRadix = ui->spinBox_captureAsRadix->text().toInt(nullptr, 10);
    c.grapNumberCount = ui->spinBox_captureAsCount->text().toInt(nullptr, 10);
    c.grapNumberStop = checkState(ui->checkBox_numberStop);
    c.captureMode = ui->radioButton_captureCountMode->isChecked() ? 0 : 1;
    c.grapTimeRadix = timeOf(ui->spinBox_grapTimeRadix, ui->comboBox_grapTimeRadix);
    c.grapTimeStop = checkState(ui->checkBox_timeStop);
    c.grapTimeCount = timeOf(ui->spinBox_grapTimeCount, ui->comboBox_grapTimeCount);
    return c;
}

void ConfigWidget::on_pushButton_openFile_clicked()
{
    const QString folder = chooseFolder();
    if (!folder.isEmpty())
        showPath(ui->lineEdit_savePath, folder);
}

QString ConfigWidget::chooseFolder()
{
    return QFileDialog::getExistingDirectory(
        this, tr("选择"), QCoreApplication::applicationDirPath(), QFileDialog::ShowDirsOnly);
}

void ConfigWidget::onRadioClickResult(bool checked)
{
    Q_UNUSED(checked);
    const QString name = sender() ? sender()->objectName() : QString();
    if (name == QLatin1String("radioButton_captureCountMode"))
        ui->stackedWidget_2->setCurrentIndex(0);
    else if (name == QLatin1String("radioButton_captureTimeMode"))
        ui->stackedWidget_2->setCurrentIndex(1);
    else if (name == QLatin1String("radioButton_autoSpeed"))
        ui->widget_autoFrameRate->setEnabled(true);
    else if (name == QLatin1String("radioButton_originalSpeed"))
        ui->widget_autoFrameRate->setEnabled(false);
}

// ---- Recording page ---------------------------------------------------------------------

void ConfigWidget::on_pushButton_recordFileSelect_clicked()
{
    const QString folder = chooseFolder();
    if (!folder.isEmpty())
        showPath(ui->lineEdit_recordPath, folder);
}

void ConfigWidget::on_pushButton_recordInit_clicked()
{
    showPath(ui->lineEdit_recordPath, SettingsStore::defaultVideoFolder());
    ui->checkBox_recordAutoSaveState->setChecked(false);
    ui->comboBox_videoType->setCurrentIndex(0);
    ui->comboBox_videoQuality->setCurrentIndex(0);
    ui->radioButton_originalSpeed->setChecked(true);
    ui->widget_autoFrameRate->setEnabled(false);
    ui->lineEdit_autoFrameRate->setText(QStringLiteral("0"));
    ui->lineEdit_recordNameRulePrefix->setText(QStringLiteral("Video_"));
    ui->comboBox_recordNameRuleFormat->setCurrentIndex(0);
    showSequenceChoices();
    ui->checkBox_frameInfoState->setChecked(false);
    ui->checkBox_recordFrameStop->setChecked(false);
    ui->spinBox_recordFrameStopCount->setValue(100);
    ui->checkBox_recordTimeStop->setChecked(false);
    ui->spinBox_recordTimeStopSeconds->setValue(10);
    ui->spinBox_preTriggerSeconds->setValue(0);
    showResetDone();
}

void ConfigWidget::on_pushButton_recordSave_clicked()
{
    saveAndClose(RecordPage);
}

RecordSettings ConfigWidget::recordPageValues() const
{
    RecordSettings r;
    r.savePath = ui->lineEdit_recordPath->text();
    r.autoSaveState = checkState(ui->checkBox_recordAutoSaveState);
    r.videoType = ui->comboBox_videoType->currentIndex();
    r.videoQuality = ui->comboBox_videoQuality->currentIndex();
    r.nameRuleFormat = ui->comboBox_recordNameRuleFormat->currentIndex();
    // 0 if no number, as the field may still hold 0 or nothing.
    r.autoFrameRate = boundedCustomFrameRate(ui->lineEdit_autoFrameRate->text().toInt(nullptr, 10));
    r.nameRulePrefix = ui->lineEdit_recordNameRulePrefix->text();
    r.playSpeed = ui->radioButton_autoSpeed->isChecked() ? 0 : 1;
    // A sequence ticks the box only to show it always has a frame list; the choice kept
    // for video files is the user's own.
    r.frameInfoState = r.videoType == kSequenceType ? store->recordSettings().frameInfoState
                                                    : checkState(ui->checkBox_frameInfoState);
    r.frameStop = checkState(ui->checkBox_recordFrameStop);
    r.frameStopCount = ui->spinBox_recordFrameStopCount->value();
    r.timeStop = checkState(ui->checkBox_recordTimeStop);
    r.timeStopSeconds = ui->spinBox_recordTimeStopSeconds->value();
    r.preTriggerSeconds = ui->spinBox_preTriggerSeconds->value();
    return r;
}

void ConfigWidget::listWidgetCurrentRow(int row)
{
    ui->stackedWidget->setCurrentIndex(row);
}

// ---- Hotkey page ------------------------------------------------------------------------

void ConfigWidget::on_pushButton_hotkeySave_clicked()
{
    saveAndClose(HotkeyPage);
}

HotkeySettings ConfigWidget::hotkeyPageValues() const
{
    // Portable texts, as the camera windows match them whatever language Qt speaks.
    const auto fields = hotkeyFields();
    QString texts[kHotkeyCount];
    for (int i = 0; i < kHotkeyCount; ++i)
        texts[i] = fields[size_t(i)]->combination().toString(QKeySequence::PortableText);
    HotkeySettings h;
    h.windowSize = texts[0];
    h.originalSize = texts[1];
    h.enlarge = texts[2];
    h.narrow = texts[3];
    h.recording = texts[4];
    h.photogrape = texts[5];
    h.onoff = texts[6];
    h.displaySwitch = texts[7];
    return h;
}

void ConfigWidget::saveAndClose(Page okPage)
{
    const bool saveCapture =
        okPage == CapturePage || !sameValues(capturePageValues(), shownCapture);
    const bool saveRecord = okPage == RecordPage || !sameValues(recordPageValues(), shownRecord);
    // Folders are checked (a missing one made once the user agrees) before anything is
    // written. Continuous capture uses the picture folder whether pictures are saved
    // automatically or not; the recording folder is used only when recordings are.
    if (saveCapture && !acceptFolder(ui->lineEdit_savePath)) {
        ui->listWidget_menu->setCurrentRow(CapturePage);
        return;
    }
    if (saveRecord && ui->checkBox_recordAutoSaveState->isChecked() &&
        !acceptFolder(ui->lineEdit_recordPath)) {
        ui->listWidget_menu->setCurrentRow(RecordPage);
        return;
    }
    if (saveRecord && !showPreTriggerCost()) {
        ui->listWidget_menu->setCurrentRow(RecordPage);
        ui->spinBox_preTriggerSeconds->setFocus();
        suite::showMessage(
            QMessageBox::Warning, this, tr("提示"),
            tr("预录 %1 秒需要约 %2 MB 内存, 超过上限 %3 MB, 设置未保存。请减少预录秒数。")
                .arg(ui->spinBox_preTriggerSeconds->value())
                .arg(configlogic::preTriggerBytes(cameraWidth, cameraHeight, cameraRate,
                                                  ui->spinBox_preTriggerSeconds->value()) /
                         (1024.0 * 1024.0),
                     0, 'f', 0)
                .arg(configlogic::kPreTriggerLimitBytes >> 20),
            tr("确定"));
        return;
    }
    const CaptureSettings capture = capturePageValues();
    const RecordSettings record = recordPageValues();
    const HotkeySettings hotkeys = hotkeyPageValues();
    const bool saveHotkeys = okPage == HotkeyPage || !sameValues(hotkeys, shownHotkeys);

    // The hotkey page's own OK is disabled while keys clash; another page's OK must not
    // write them either, nor close and drop them without a word.
    const QStringList texts(hotkeyTexts.begin(), hotkeyTexts.end());
    if (saveHotkeys && okPage != HotkeyPage && configlogic::hasConflict(texts)) {
        ui->listWidget_menu->setCurrentRow(HotkeyPage);
        ui->label_error->show();
        ui->pushButton_hotkeySave->setEnabled(false);
        suite::showMessage(QMessageBox::Critical, this, tr("提示"),
                           tr("快捷键与已有快捷键冲突，设置未保存。请修改快捷键后再按确定。"),
                           tr("确定"));
        return;
    }
    if (saveCapture)
        store->saveCaptureSettings(capture);
    if (saveRecord)
        store->saveRecordSettings(record);
    // Open camera windows read the store's hotkeys at every key press, so the new keys
    // act at once.
    if (saveHotkeys)
        store->saveHotkeySettings(hotkeys);
    close();
}

void ConfigWidget::on_pushButton_hoykeyInit_clicked()
{
    const QStringList inputs = configlogic::hotkeyResetInputs();
    const QStringList texts = configlogic::hotkeyResetTexts();
    const auto fields = hotkeyFields();
    for (int i = 0; i < kHotkeyCount; ++i) {
        fields[size_t(i)]->setKeySequence(
            QKeySequence::fromString(inputs[i], QKeySequence::PortableText));
        hotkeyTexts[size_t(i)] = texts[i];
    }
    showResetDone();
}

void ConfigWidget::showResetDone()
{
    suite::showMessage(QMessageBox::Information, this, tr("提示"), tr("重置参数成功"), tr("确定"));
}

void ConfigWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void ConfigWidget::retranslate()
{
    ui->retranslateUi(this);
    ui->widget_autoFrameRate->setToolTip(tr("自定义回放帧率: %1 到 %2 帧/秒")
                                             .arg(kLowestCustomFrameRate)
                                             .arg(kHighestCustomFrameRate));
    fitPageList();
}

void ConfigWidget::fitPageList()
{
    // The page list is as wide as its longest name, which is longer in English.
    QListWidget* list = ui->listWidget_menu;
    const int width = list->sizeHintForColumn(0) + 2 * list->frameWidth() + kPageListSlack;
    list->setFixedWidth(std::max(kPageListWidth, width));
}

bool ConfigWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease && qobject_cast<CustomKeySequenceEdit*>(watched)) {
        const QStringList texts(hotkeyTexts.begin(), hotkeyTexts.end());
        const bool conflict = configlogic::hasConflict(texts);
        ui->label_error->setVisible(conflict);
        ui->pushButton_hotkeySave->setEnabled(!conflict);
    }
    return QWidget::eventFilter(watched, event);
}
