#include "writer/TComm.h"

#include "foundation/Errors.h"
#include "foundation/Translate.h"
#include "writer/GapReader.h"
#include "writer/TransmitQueue.h"

#include <atomic>
#include <cerrno>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace orvane {
namespace {

constexpr const char* kOpenFailed = "Error opening serial port";

// Opens path for exclusive use as the serial libraries do: flock against other programs that
// honour it, TIOCEXCL against every other open. Pseudo-terminals may refuse TIOCEXCL. Returns
// -1 with errno set on failure.
int OpenExclusive(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0
        || (::ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY && errno != EINVAL)) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

void CloseExclusive(int fd)
{
    ::ioctl(fd, TIOCNXCL); // the flag would outlive us on a pseudo-terminal whose master stays
    ::close(fd);
}

// Sets the line state; a pseudo-terminal has no modem lines and refuses TIOCMBIS/TIOCMBIC.
bool ApplyLineState(int fd, const TCommLineSettings& settings)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0 || !ApplyToTermios(settings, tio)
        || ::tcsetattr(fd, TCSANOW, &tio) != 0)
        return false;
    const ModemLines lines = ModemLinesFor(settings);
    const auto setLines = [fd](unsigned long request, int bits) {
        return bits == 0 || ::ioctl(fd, request, &bits) == 0 || errno == ENOTTY || errno == EINVAL;
    };
    return setLines(TIOCMBIS, lines.raise) && setLines(TIOCMBIC, lines.drop);
}

// The receive thread measures the inter-byte gap itself, so it must run soon after bytes come
// even on a busy machine. Lowering a nice value needs the right to (CAP_SYS_NICE or RLIMIT_NICE);
// without it the threads run at normal priority.
constexpr int kReceiveNice = -10;
constexpr int kTransmitNice = -5;

void RaiseOwnPriority(int nice)
{
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), nice); // Linux: this thread only
}

} // namespace

std::string OpenFailureText(const std::string& path, int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return std::string(kOpenFailed) + "\n" + path
               + Tr("：没有访问权限，请把当前用户加入 dialout 组后重新登录");
    case EBUSY:
        return std::string(kOpenFailed) + "\n" + path + Tr("：端口正被其他程序使用");
    default:
        return kOpenFailed;
    }
}

// What lives while the port is open. The threads see only fd, wakeFd, gapMs, transmit and
// hangupRaised; fd and wakeFd stay fixed until both threads have been joined.
struct TComm::Session {
    int fd = -1;
    termios saved{};
    bool termiosSaved = false;
    int wakeFd = -1;
    std::atomic<std::uint32_t> gapMs{0};
    std::atomic<bool> hangupRaised{false};
    TransmitQueue transmit;
    std::thread receiver;
    std::thread transmitter;

    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Wakes and joins the threads, drops what was not sent or not yet delivered, gives the
    // device back its line state and closes it.
    ~Session()
    {
        transmit.Stop();
        if (wakeFd >= 0) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t n = ::write(wakeFd, &one, sizeof one);
        }
        if (receiver.joinable())
            receiver.join();
        if (transmitter.joinable())
            transmitter.join();
        if (fd >= 0) {
            if (termiosSaved) {
                ::tcflush(fd, TCIOFLUSH);
                ::tcsetattr(fd, TCSANOW, &saved);
            }
            CloseExclusive(fd);
        }
        if (wakeFd >= 0)
            ::close(wakeFd);
    }
};

TComm::TComm(EventLoop& loop, PortResolver resolver)
    : loop_(loop), resolver_(std::move(resolver))
{
}

TComm::~TComm() = default; // session_ goes first: its threads are joined before alive_ dies

void TComm::OpenPort()
{
    if (session_)
        throw ECommsError("This serial port already opened");
    const std::string path = resolver_ ? resolver_(commName_) : commName_;
    if (path.empty())
        throw ECommsError(kOpenFailed);

    auto session = std::make_unique<Session>();
    session->fd = OpenExclusive(path);
    if (session->fd < 0)
        throw ECommsError(OpenFailureText(path, errno));
    if (!::isatty(session->fd))
        throw ECommsError("File handle is not a comm handle ");
    if (::tcgetattr(session->fd, &session->saved) != 0)
        throw ECommsError("Cannot setup comm buffer");
    session->termiosSaved = true;
    ::tcflush(session->fd, TCIOFLUSH);

    session->gapMs = timeouts_.ReadIntervalTimeout;
    ApplyLineState(session->fd, line_); // its result is ignored, as the setters ignore it

    session->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (session->wakeFd < 0)
        throw ECommsError("Unable to create event");
    try {
        StartThreads(*session);
    } catch (const std::system_error&) {
        throw ECommsError("Unable to create event"); // ~Session joins what did start
    }
    session_ = std::move(session);
}

// The threads get what they need by value: the loop to post to and a token that tells the
// posted events whether this TComm still exists. They never touch its members.
void TComm::StartThreads(Session& session)
{
    EventLoop& loop = loop_;
    const std::weak_ptr<const bool> alive = alive_;
    const auto notify = [this, &loop, alive](void (TComm::*event)()) {
        loop.Post([this, alive, event] {
            if (alive.lock())
                (this->*event)();
        });
    };
    const ReceiveCallbacks received{
        [this, &loop, alive](std::vector<std::uint8_t> chunk) {
            loop.Post([this, alive, chunk = std::move(chunk)] {
                if (alive.lock() && onReceiveData_)
                    onReceiveData_(chunk.data(), static_cast<std::uint16_t>(chunk.size()));
            });
        },
        [&session, notify] {
            if (!session.hangupRaised.exchange(true))
                notify(&TComm::RaiseRequestHangup);
        },
    };
    const TransmitCallbacks transmitted{
        [notify] { notify(&TComm::RaiseSendDataEmpty); },
        received.hangup,
    };
    session.receiver = std::thread([&session, received] {
        RaiseOwnPriority(kReceiveNice);
        ReceiveChunks(session.fd, session.wakeFd, session.gapMs, received);
    });
    session.transmitter = std::thread([&session, transmitted] {
        RaiseOwnPriority(kTransmitNice);
        session.transmit.Run(session.fd, session.wakeFd, transmitted);
    });
}

void TComm::ClosePort()
{
    session_.reset();
}

bool TComm::WriteData(const std::uint8_t* buffer, std::uint16_t length)
{
    if (!session_ || length == 0)
        return false;
    return session_->transmit.Push(std::vector<std::uint8_t>(buffer, buffer + length));
}

bool TComm::PortExists(const std::string& name)
{
    const std::string path = resolver_ ? resolver_(name) : name;
    if (path.empty())
        return false;
    const int fd = OpenExclusive(path);
    if (fd < 0)
        return false;
    CloseExclusive(fd);
    return true;
}

bool TComm::PortInUse(const std::string& name)
{
    const std::string path = resolver_ ? resolver_(name) : name;
    if (path.empty())
        return false;
    const int fd = OpenExclusive(path);
    if (fd >= 0) {
        CloseExclusive(fd);
        return false;
    }
    return errno == EBUSY;
}

bool TComm::ApplyLineSettings()
{
    return session_ && ApplyLineState(session_->fd, line_);
}

bool TComm::ApplyTimeouts()
{
    if (!session_)
        return false;
    session_->gapMs = timeouts_.ReadIntervalTimeout;
    return true;
}

bool TComm::SendDataEmpty() const
{
    return !session_ || session_->transmit.Empty();
}

void TComm::RaiseRequestHangup()
{
    if (onRequestHangup_)
        onRequestHangup_();
}

void TComm::RaiseSendDataEmpty()
{
    if (onSendDataEmpty_)
        onSendDataEmpty_();
}

} // namespace orvane
