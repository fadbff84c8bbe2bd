#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

// French byte counts in decimal units (1 Ko = 1,000 bytes): Ko below 10^6 bytes with no decimal, Mo below
// 10^9 with one, Go below 10^12 and To above with two, rounded half up, trailing zeros dropped, a decimal
// comma and one ordinary space before the unit ("1 Mo", "1,5 Mo", "2,25 Go"). A positive count under
// 1 Ko reads "1 Ko"; a figure that rounds to 1000 moves to the next unit; zero or less reads "0 Ko".
class ByteCountFormatter final
{
public:
    QString string(qint64 bytes) const;
};

// Small pieces of French shared by many texts.
namespace FrenchText {

// `name` between guillemets, each held to it by a no-break space so that a line never starts with "»" or ends
// with "«": "« Safari »".
QString quoted(const QString& name);

// A byte text followed by "récupérable", singular when its figure is below 2 ("1 Mo récupérable", "1,5 Ko
// récupérable", "3 Ko récupérables").
QString recoverable(const QString& byteText);

} // namespace FrenchText

// French relative dates ("il y a 3 jours", "dans 2 heures") in the largest whole unit among years, months,
// weeks, days, hours, minutes and seconds. Immutable once made, so one instance serves every thread.
class RelativeDateFormatter final
{
public:
    RelativeDateFormatter();
    ~RelativeDateFormatter();
    RelativeDateFormatter(const RelativeDateFormatter&) = delete;
    RelativeDateFormatter& operator=(const RelativeDateFormatter&) = delete;

    QString localizedString(const QDateTime& date, const QDateTime& relativeTo) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// French dates at a date style (medium by default) and the short time style ("10 déc. 2026, 05:14"), in local time, as
// the platform's locale data writes them for fr_FR. One instance serves every thread and every window.
class DateTimeFormatter final
{
public:
    enum class DateStyle { medium, full };
    explicit DateTimeFormatter(DateStyle dateStyle = DateStyle::medium);
    ~DateTimeFormatter();
    DateTimeFormatter(const DateTimeFormatter&) = delete;
    DateTimeFormatter& operator=(const DateTimeFormatter&) = delete;

    // The process's one formatter, made on first use.
    static const DateTimeFormatter& mediumDateShortTime();
    // The full date style and the short time style ("jeudi 10 décembre 2026 à 05:14").
    static const DateTimeFormatter& fullDateShortTime();

    QString string(const QDateTime& date) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
