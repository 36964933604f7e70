#include "platform/LogLine.h"
#include "support/LogCapture.h"

#include <QTest>

class LogLineTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void format_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");

        QTest::newRow("startup") << formatLogLine("registered=%@ area=%@ status=%d handler=%d",
                                                  {QStringLiteral("YES"), QStringLiteral("control+4"),
                                                   std::int64_t{-9878}, std::int64_t{0}})
                                 << "registered=YES area=control+4 status=-9878 handler=0";
        QTest::newRow("unsigned") << formatLogLine("id=%u", {std::uint64_t{4294967295u}}) << "id=4294967295";
        QTest::newRow("percent sign") << formatLogLine("100%% done, %d%%", {std::int64_t{5}}) << "100% done, 5%";
        // Placeholders inside an argument are never expanded: user text is data, not format.
        QTest::newRow("argument with placeholders")
            << formatLogLine("failed: %@", {QStringLiteral("%@ %d %s %n")}) << "failed: %@ %d %s %n";
        QTest::newRow("missing argument") << formatLogLine("a=%@ b=%d", {QStringLiteral("x")}) << "a=x b=%d";
        QTest::newRow("surplus argument") << formatLogLine("plain", {std::int64_t{1}}) << "plain";
        QTest::newRow("other specifiers") << formatLogLine("%s %x %", {}) << "%s %x %";
        QTest::newRow("unicode argument") << formatLogLine("%@", {QStringLiteral("⌃⌥⌘4")}) << "⌃⌥⌘4";
        QTest::newRow("control characters escaped")
            << formatLogLine("area=%@", {QStringLiteral("a\nPixdrift received global hotkey id=2\t\x1b\\")})
            << "area=a\\nPixdrift received global hotkey id=2\\t\\u001b\\\\";
    }

    void format()
    {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QCOMPARE(line, expected);
    }

    void writesThroughQtsMessageHandler()
    {
        LogCapture log;
        logLine("Pixdrift received global hotkey id=%u", 2u);
        logLine("Pixdrift capture failed: %@", QStringLiteral("no display"));
        QCOMPARE(log.lines(), QStringList({QStringLiteral("Pixdrift received global hotkey id=2"),
                                          QStringLiteral("Pixdrift capture failed: no display")}));
    }
};

QTEST_GUILESS_MAIN(LogLineTest)
#include "tst_logline.moc"
