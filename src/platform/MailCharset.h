#pragma once

namespace platform {

// The character sets a mail's text can be declared in.
enum class MailCharset { UTF_8, CP1252 };

} // namespace platform
