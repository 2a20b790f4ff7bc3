#include "FileSizeLimit.h"

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    struct sigaction ignore { };
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &m_oldAction);
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit lowered = m_old;
    lowered.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lowered);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_old);
    sigaction(SIGXFSZ, &m_oldAction, nullptr);
}
