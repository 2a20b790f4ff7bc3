#include "platform/Exception.h"

#include <utility>

namespace platform {

Exception::Exception(QString message)
    : m_message(std::move(message))
    , m_utf8(m_message.toUtf8())
{
}

QString messageOf(const std::exception& error)
{
    if (const auto* ours = dynamic_cast<const Exception*>(&error))
        return ours->message();
    return QString::fromUtf8(error.what());
}

} // namespace platform
