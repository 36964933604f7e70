#pragma once

#include <QFrame>

class QLabel;
class QToolButton;

// A line across the window that cannot be missed: a failure in the error colour, or a hint.
// It stays until the user dismisses it or the window takes it away.
class MessageBar : public QFrame
{
    Q_OBJECT

public:
    enum class Kind { Failure, Hint };

    explicit MessageBar(QWidget *parent = nullptr);

    void showMessage(const QString &text, Kind kind);
    [[nodiscard]] QString text() const;
    [[nodiscard]] Kind kind() const { return m_kind; }

private:
    QLabel *m_text = nullptr;
    QToolButton *m_close = nullptr;
    Kind m_kind = Kind::Hint;
};
