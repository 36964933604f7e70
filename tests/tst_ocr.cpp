// Reading text in captures: paragraphs rendered as a screen shows them, read back with few
// mistakes; a picture without text gives none.

#include "model/TextRecognition.h"

#include "support/Fakes.h"
#include "support/TestUtilities.h"
#include "text/tr.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <QPainter>
#include <QTest>

namespace {

const QString english = QStringLiteral(
    "The quick brown fox jumps over the lazy dog while the build server copies 42 files to the "
    "backup folder. Error: permission denied when opening the configuration file.");
const QString italian = QStringLiteral(
    "La volpe veloce salta sopra il cane pigro mentre il server copia 42 file nella cartella di "
    "backup. Errore: permesso negato durante l'apertura del file di configurazione.");

} // namespace

class OcrTest : public QObject
{
    Q_OBJECT

    TextRecognition::Installed m_installed;

private Q_SLOTS:
    void initTestCase()
    {
        m_installed = TextRecognition::installed();
        QVERIFY2(m_installed.languages.contains(QStringLiteral("eng")) && m_installed.languages.contains(QStringLiteral("ita")),
                 "scripts/setup installs tesseract-ocr-eng and tesseract-ocr-ita");
        QCOMPARE(TextRecognition::languagesFor(QStringLiteral("it"), {}, m_installed), (QStringList{"ita", "eng"}));
        QCOMPARE(TextRecognition::languagesFor(QStringLiteral("en"), {"ita", "klingon"}, m_installed), (QStringList{"eng", "ita"}));
        // Only a screenful at 200 % is read as it is; text from programs that ignore the scale
        // is as small there as at 100 %.
        QCOMPARE(TextRecognition::upscaleFor(2.0, {5120, 2880}), 1);
        QCOMPARE(TextRecognition::upscaleFor(2.0, {760, 60}), 2);
        QCOMPARE(TextRecognition::upscaleFor(1.0, {5120, 2880}), 2);
    }

    // At most 2 % of the characters wrong, whatever the size, scale, colours and language.
    void paragraphs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qreal>("points");
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<bool>("dark");
        for (const auto &[language, text] : {std::pair{"en", english}, std::pair{"it", italian}})
            for (const qreal points : {11.0, 9.0})
                for (const qreal scale : {1.0, 2.0})
                    for (const bool dark : {false, true})
                        QTest::addRow("%s %gpt @%g %s", language, points, scale, dark ? "light on dark" : "dark on light")
                            << text << points << scale << dark;
    }
    void paragraphs()
    {
        QFETCH(QString, text);
        QFETCH(qreal, points);
        QFETCH(qreal, scale);
        QFETCH(bool, dark);
        const QImage page = renderedText(text, points, scale, dark);
        const QImage image = TextRecognition::prepared(page, TextRecognition::upscaleFor(scale, page.size()));
        const QStringList languages = TextRecognition::languagesFor(text == italian ? "it" : "en", {}, m_installed);
        const TextRecognition::Result result = TextRecognition::recognise(image, m_installed, languages);
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        QVERIFY(result.lines >= 2);
        const double rate = characterErrorRate(result.text, text);
        QVERIFY2(rate <= 0.02, qPrintable(QStringLiteral("%1 %: %2").arg(rate * 100, 0, 'f', 1).arg(result.text)));
    }

    // Copy Text in the window: the crop's words on the clipboard as plain text, the lines
    // counted; none found is said; a new capture stops a reading, which then says nothing.
    void copyText()
    {
        QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty());
        CaptureRig rig;
        const QImage page = renderedText(english, 11, 1, false);
        rig.model.setImage(page);
        rig.model.setCrop(QRectF(page.rect()));
        QGuiApplication::clipboard()->clear();
        rig.model.copyText();
        QVERIFY(rig.model.readingText());
        QTRY_VERIFY_WITH_TIMEOUT(!rig.model.readingText(), 20000);
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY2(characterErrorRate(copied, english) <= 0.02, qPrintable(copied));
        QCOMPARE(rig.model.status(), ::tr("status.textCopied").arg(copied.count(u'\n') + 1));
        QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasImage());

        rig.model.setCrop(QRectF(0, 0, 12, page.height())); // the margin only
        rig.model.copyText();
        QTRY_COMPARE_WITH_TIMEOUT(rig.model.status(), ::tr("status.noText"), 20000);

        rig.model.setCrop(QRectF(page.rect()));
        rig.model.copyText();
        rig.model.take(true);
        QVERIFY(!rig.model.readingText());
        QTRY_COMPARE(rig.model.status(), ::tr("status.fullCaptured"));
        QTest::qWait(1500);
        QCOMPARE(rig.model.status(), ::tr("status.fullCaptured"));
    }

    // An empty picture, or one of mere shapes, holds no text; a cancelled reading says so.
    void nothingToRead()
    {
        QImage shapes(400, 200, QImage::Format_RGB32);
        shapes.fill(Qt::white);
        QPainter painter(&shapes);
        painter.fillRect(QRect(40, 40, 120, 80), QColor(0x33, 0x66, 0xaa));
        painter.end();
        QImage blank(300, 100, QImage::Format_RGB32);
        blank.fill(Qt::white);
        for (const QImage &image : {blank, shapes}) {
            const TextRecognition::Result result =
                TextRecognition::recognise(TextRecognition::prepared(image, 2), m_installed, {"eng"});
            QCOMPARE(result.text, QString());
            QCOMPARE(result.lines, 0);
        }
        const std::atomic_bool cancel{true};
        const TextRecognition::Result cancelled = TextRecognition::recognise(
            TextRecognition::prepared(renderedText(english, 11, 1, false), 3), m_installed, {"eng"}, {}, &cancel);
        QVERIFY(cancelled.cancelled && cancelled.text.isEmpty());
        QVERIFY(!TextRecognition::recognise(QImage(10, 10, QImage::Format_Grayscale8), m_installed, {}).error.isEmpty());
    }
};

QTEST_MAIN(OcrTest)
#include "tst_ocr.moc"
