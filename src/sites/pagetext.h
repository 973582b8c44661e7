#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <exception>
#include <utility>

// A fetched page as the site rules read it: one character per byte (Latin-1),
// 1-based positions, case ignored, plain substring searches. Pages can be
// several MiB, so the case-folded copy is made once here and every search runs
// over it without copying.
//
// A search or cut that cannot be made (a search started before the first
// character, a piece that runs backwards) throws Failure; each rule traps it
// with TrapRuleErrors and answers empty text.
class PageText
{
public:
    struct Failure : std::exception
    {
        const char *what() const noexcept override { return "page search out of range"; }
    };

    PageText() = default;
    explicit PageText(QByteArray page);

    qsizetype length() const { return m_page.size(); }
    // The page's bytes as fetched.
    const QByteArray &bytes() const { return m_page; }
    bool isEmpty() const { return m_page.isEmpty(); }

    // Position of the first occurrence of x starting at or after `from`;
    // 0 when there is none or `from` lies past the end. Fails for from <= 0.
    qsizetype find(QStringView x, qsizetype from) const;
    // Position of the last occurrence of x lying wholly within the first `at`
    // characters; 0 when there is none. Fails for at <= 0.
    qsizetype findBack(QStringView x, qsizetype at) const;
    // Characters from position a up to, not including, b; cut short at the
    // end of the page. Fails for a <= 0 or b < a.
    QString piece(qsizetype a, qsizetype b) const;

private:
    QByteArray m_page;
    QByteArray m_folded;
};

// Runs one rule's body and turns any failure inside it into empty text: a rule
// never reports an error, it just finds no address.
template <typename Body>
QString TrapRuleErrors(Body &&body)
{
    try {
        return std::forward<Body>(body)();
    } catch (const std::exception &) {
        // Out-of-range searches, and memory running out on an absurd page.
    }
    return QString();
}
