#pragma once

#include <QFrame>

#include <functional>

class QLabel;
class QPushButton;
class QToolButton;

// A line across the window that cannot be missed: a failure in the error colour, or a hint.
// It stays until the user dismisses it or the window takes it away.
class MessageBar : public QFrame
{
    Q_OBJECT

public:
    enum class Kind { Failure, Hint };

    explicit MessageBar(QWidget *parent = nullptr);

    // With `action` a button of that text beside the message does it (and the message goes).
    void showMessage(const QString &text, Kind kind, const QString &actionText = {}, std::function<void()> action = {});
    [[nodiscard]] QString text() const;
    [[nodiscard]] Kind kind() const { return m_kind; }

private:
    QLabel *m_text = nullptr;
    QPushButton *m_action = nullptr;
    std::function<void()> m_do;
    QToolButton *m_close = nullptr;
    Kind m_kind = Kind::Hint;
};
