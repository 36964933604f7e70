#include "ui/CaptureSettingsPage.h"

#include "model/TextRecognition.h"
#include "text/tr.h"
#include "ui/WindowParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

CaptureSettingsPage::CaptureSettingsPage(const SaveSettings &settings, QWidget *parent)
    : QWidget(parent)
    , m_folder(settings.folder)
{
    chooseFolder = [this](const QString &current) {
        return QFileDialog::getExistingDirectory(this, ::tr("settings.saveInto"), current);
    };
    auto *form = new QFormLayout(this);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

    m_after = new QComboBox;
    m_after->setObjectName(QStringLiteral("after"));
    for (const char *key :
         {"settings.afterWindow", "settings.afterCopy", "settings.afterSave", "settings.afterBoth", "settings.afterText"})
        m_after->addItem(::tr(key));
    m_after->setCurrentIndex(int(settings.after));
    form->addRow(::tr("settings.after"), m_after);

    m_saveInto = new QComboBox;
    m_saveInto->setObjectName(QStringLiteral("saveInto"));
    m_saveInto->addItems({::tr("settings.ask"), ::tr("settings.thisFolder")});
    m_saveInto->setCurrentIndex(settings.folder.isEmpty() ? 0 : 1);
    m_choose = new QPushButton(::tr("settings.choose"));
    m_choose->setObjectName(QStringLiteral("chooseFolder"));
    m_choose->setAutoDefault(false);
    auto *into = new QHBoxLayout;
    into->addWidget(m_saveInto, 1);
    into->addWidget(m_choose);
    form->addRow(::tr("settings.saveInto"), into);
    m_folderLabel = captionLabel();
    m_folderLabel->setObjectName(QStringLiteral("folder"));
    form->addRow(QString(), m_folderLabel);

    m_pattern = new QLineEdit(settings.pattern);
    m_pattern->setObjectName(QStringLiteral("pattern"));
    m_pattern->setToolTip(::tr("settings.patternHelp"));
    form->addRow(::tr("settings.pattern"), m_pattern);
    m_preview = captionLabel();
    m_preview->setObjectName(QStringLiteral("preview"));
    form->addRow(QString(), m_preview);

    m_format = new QComboBox;
    m_format->setObjectName(QStringLiteral("format"));
    for (const ImageFormat format : {ImageFormat::png, ImageFormat::jpeg, ImageFormat::webp})
        m_format->addItem(FileNaming::wordFor(format).toUpper());
    m_format->setCurrentIndex(int(settings.format));
    form->addRow(::tr("settings.format"), m_format);
    m_quality = new QSlider(Qt::Horizontal);
    m_quality->setObjectName(QStringLiteral("quality"));
    m_quality->setRange(1, 100);
    m_quality->setValue(settings.quality);
    m_qualityLabel = plainLabel();
    m_qualityLabel->setMinimumWidth(m_qualityLabel->fontMetrics().horizontalAdvance(QStringLiteral("100")));
    auto *quality = new QHBoxLayout;
    quality->addWidget(m_quality, 1);
    quality->addWidget(m_qualityLabel);
    form->addRow(::tr("settings.quality"), quality);

    // The languages text is read in: the interface's and English always, others as chosen.
    m_languages = new QListWidget;
    m_languages->setObjectName(QStringLiteral("textLanguages"));
    m_languages->setMaximumHeight(m_languages->fontMetrics().height() * 4);
    const TextRecognition::Installed installed = TextRecognition::installed();
    const QStringList always = TextRecognition::languagesFor(QLocale().bcp47Name().section(u'-', 0, 0), {}, installed);
    for (const QString &language : installed.languages) {
        auto *item = new QListWidgetItem(language, m_languages);
        item->setData(Qt::UserRole, language);
        const QString name = QLocale::languageToString(QLocale::codeToLanguage(language, QLocale::ISO639Part2T));
        item->setText(name.isEmpty() || name == u"C" ? language : name);
        item->setFlags(always.contains(language) ? Qt::ItemIsUserCheckable : Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(always.contains(language) || settings.textLanguages.contains(language) ? Qt::Checked : Qt::Unchecked);
    }
    if (installed.languages.isEmpty())
        new QListWidgetItem(::tr("status.noTextData"), m_languages);
    form->addRow(::tr("settings.textLanguages"), m_languages);

    m_scrollLimit = new QSpinBox;
    m_scrollLimit->setObjectName(QStringLiteral("scrollLimit"));
    m_scrollLimit->setRange(SaveSettings::scrollLimitLeast, SaveSettings::scrollLimitMost);
    m_scrollLimit->setSingleStep(1000);
    m_scrollLimit->setSuffix(::tr("settings.pixels"));
    m_scrollLimit->setValue(settings.scrollLimit);
    m_scrollBySelf = new QCheckBox(::tr("settings.scrollBySelf"));
    m_scrollBySelf->setObjectName(QStringLiteral("scrollBySelf"));
    m_scrollBySelf->setChecked(settings.scrollBySelf);
    auto *scrolling = new QHBoxLayout;
    scrolling->addWidget(m_scrollLimit);
    scrolling->addWidget(m_scrollBySelf, 1);
    form->addRow(::tr("settings.scrollLimit"), scrolling);

    connect(m_saveInto, &QComboBox::currentIndexChanged, this, [this](int index) {
        // "This folder" without one yet asks for it at once.
        if (index == 1 && m_folder.isEmpty()) {
            m_folder = chooseFolder(QDir::homePath());
            if (m_folder.isEmpty())
                m_saveInto->setCurrentIndex(0);
        }
        refresh();
    });
    connect(m_choose, &QPushButton::clicked, this, [this] {
        const QString folder = chooseFolder(m_folder.isEmpty() ? QDir::homePath() : m_folder);
        if (folder.isEmpty())
            return;
        m_folder = folder;
        m_saveInto->setCurrentIndex(1);
        refresh();
    });
    connect(m_pattern, &QLineEdit::textChanged, this, &CaptureSettingsPage::refresh);
    connect(m_format, &QComboBox::currentIndexChanged, this, &CaptureSettingsPage::refresh);
    connect(m_quality, &QSlider::valueChanged, this, &CaptureSettingsPage::refresh);
    refresh();
}

SaveSettings CaptureSettingsPage::settings() const
{
    SaveSettings settings;
    settings.after = SaveSettings::After(m_after->currentIndex());
    settings.folder = m_saveInto->currentIndex() == 1 ? m_folder : QString();
    settings.pattern = m_pattern->text();
    settings.format = ImageFormat(m_format->currentIndex());
    settings.quality = m_quality->value();
    settings.scrollLimit = m_scrollLimit->value();
    settings.scrollBySelf = m_scrollBySelf->isChecked();
    for (int row = 0; row < m_languages->count(); ++row) {
        const QListWidgetItem *item = m_languages->item(row);
        if ((item->flags() & Qt::ItemIsEnabled) && item->checkState() == Qt::Checked)
            settings.textLanguages << item->data(Qt::UserRole).toString();
    }
    return settings;
}

QString CaptureSettingsPage::problem() const
{
    const FileNaming::Name name = FileNaming::expand(m_pattern->text(), QDateTime::currentDateTime());
    if (name.problem)
        return ::tr(name.problem);
    if (!FileNaming::canWrite(ImageFormat(m_format->currentIndex())))
        return ::tr("status.formatMissing").arg(m_format->currentText());
    return {};
}

QString CaptureSettingsPage::preview() const
{
    if (const QString wrong = problem(); !wrong.isEmpty())
        return wrong;
    return FileNaming::expand(m_pattern->text(), QDateTime::currentDateTime()).name + u'.'
           + FileNaming::extensionFor(ImageFormat(m_format->currentIndex()));
}

void CaptureSettingsPage::refresh()
{
    const bool fixed = m_saveInto->currentIndex() == 1;
    m_folderLabel->setText(fixed ? QDir::toNativeSeparators(m_folder) : QString());
    m_folderLabel->setVisible(fixed);
    m_preview->setText(preview());
    // A name that cannot be is said in red.
    QPalette palette = this->palette();
    if (!problem().isEmpty())
        palette.setColor(QPalette::PlaceholderText, QColor(0xb4, 0x1e, 0x1e));
    m_preview->setPalette(palette);
    const bool lossy = ImageFormat(m_format->currentIndex()) != ImageFormat::png;
    m_quality->setEnabled(lossy);
    m_qualityLabel->setEnabled(lossy);
    m_qualityLabel->setText(QString::number(m_quality->value()));
}
