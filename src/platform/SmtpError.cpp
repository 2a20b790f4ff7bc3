#include "platform/SmtpError.h"

#include "platform/SmtpReply.h"

#include <utility>

namespace platform {

namespace {

QString messageFor(SmtpError::Step step, const QString& explanation)
{
    if (step == SmtpError::Step::ServerNotInformed)
        return SmtpError::title(step);
    return SmtpError::title(step) + QStringLiteral("\r\n") + explanation;
}

} // namespace

SmtpError::SmtpError(Step step, const QString& explanation, QString detail)
    : Exception(messageFor(step, SmtpReply::displayText(explanation.toUtf8())))
    , m_step(step)
    , m_explanation(SmtpReply::displayText(explanation.toUtf8()))
    , m_detail(std::move(detail))
{
}

QString SmtpError::title(Step step)
{
    switch (step) {
    case Step::ServerNotInformed:
        return QStringLiteral("SMTP Error: Server not informed");
    case Step::Login:
        return QStringLiteral("SMTP Error: Unable to Login.");
    case Step::MailFrom:
        return QStringLiteral("SMTP Error: Unable to send MailFrom.");
    case Step::MailTo:
        return QStringLiteral("SMTP Error: Unable to send MailTo.");
    case Step::MailData:
        return QStringLiteral("SMTP Error: Unable to send Mail data.");
    case Step::Logout:
        return QStringLiteral("SMTP Error: Unable to Logout.");
    }
    return QString();
}

} // namespace platform
