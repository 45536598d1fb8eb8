#include "SimOptions.h"

#include <charconv>
#include <limits>

#include "TermiosBaud.h"

namespace magtune::readersim {

namespace {

// Noise is built in memory before every reply; keep it to what a pty
// buffer can take without the PC side having to read.
constexpr std::uint64_t kMaxNoiseBytes = 4096;

std::optional<std::uint64_t> ParseCount(const std::string& text, std::uint64_t min,
                                        std::uint64_t max) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

// Readers that --count may start: each holds a terminal and a thread.
constexpr std::uint64_t kMaxReaders = 64;

// One item of --reader K:ITEM,ITEM...; an error text, or empty.
std::string ApplyReaderItem(const std::string& item, SimReader& reader) {
    if (item == "silent") {
        reader.faults.silent = true;
        return {};
    }
    if (item == "nak") {
        reader.faults.nakFirst = std::numeric_limits<unsigned>::max();
        return {};
    }
    if (item == "wrong-image") {
        reader.faults.wrongImage = true;
        return {};
    }
    const auto eq = item.find('=');
    const std::string name = item.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : item.substr(eq + 1);
    const auto n =
        ParseCount(value, name == "hangup-after" ? 1 : 0,
                   name == "noise" ? kMaxNoiseBytes : std::numeric_limits<unsigned>::max());
    if (eq == std::string::npos || !n) {
        return "\"" + item + "\" is not silent, nak, wrong-image or NAME=NUMBER";
    }
    if (name == "baud") {
        if (!SpeedFromBaud(static_cast<unsigned>(*n))) {
            return "\"" + value + "\" is not a baud rate of this system";
        }
        reader.baudRate = static_cast<unsigned>(*n);
    } else if (name == "noise") {
        reader.faults.noiseBytes = static_cast<std::size_t>(*n);
    } else if (name == "nak-first") {
        reader.faults.nakFirst = static_cast<unsigned>(*n);
    } else if (name == "bad-checksum-first") {
        reader.faults.badChecksumFirst = static_cast<unsigned>(*n);
    } else if (name == "lowercase-header-first") {
        reader.faults.lowercaseHeaderFirst = static_cast<unsigned>(*n);
    } else if (name == "hangup-after") {
        reader.faults.hangupAfter = *n;
    } else {
        return "unknown item \"" + name + "\"";
    }
    return {};
}

}  // namespace

SimOptionsResult ParseSimOptions(std::span<const std::string> args) {
    constexpr std::uint64_t kMaxUnsigned = std::numeric_limits<unsigned>::max();
    constexpr std::uint64_t kMaxCount = std::numeric_limits<std::uint64_t>::max();
    SimOptions options;
    std::vector<std::string> readerSpecs;
    auto fail = [](std::string message) { return SimOptionsResult{std::nullopt, message}; };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }

        bool* flag = name == "--help" || name == "-h" ? &options.help
                     : name == "--version"            ? &options.version
                     : name == "--pace"               ? &options.pace
                     : name == "--verbose"            ? &options.verbose
                     : name == "--silent"             ? &options.faults.silent
                     : name == "--wrong-image"        ? &options.faults.wrongImage
                     : name == "--lowercase-digits"   ? &options.lowercaseDigits
                                                      : nullptr;
        if (flag) {
            if (value) {
                return fail(name + " takes no value");
            }
            *flag = true;
            continue;
        }

        std::string* path = name == "--image"        ? &options.imagePath
                            : name == "--save"       ? &options.savePath
                            : name == "--link"       ? &options.linkPath
                            : name == "--usb"        ? &options.usbPath
                            : name == "--wedge"      ? &options.wedgePath
                            : name == "--usb-device" ? &options.usbDevices.emplace_back()
                            : name == "--link-dir"   ? &options.linkDir
                            : name == "--reader"     ? &readerSpecs.emplace_back()
                                                     : nullptr;
        const bool isCount = name == "--baud" || name == "--noise" || name == "--nak-first" ||
                             name == "--bad-checksum-first" || name == "--lowercase-header-first" ||
                             name == "--hangup-after" || name == "--exit-after-transfers" ||
                             name == "--count";
        if (!path && !isCount) {
            return fail("unknown option \"" + args[i] + "\" (see --help)");
        }
        if (!value && i + 1 < args.size()) {
            value = args[++i];
        }
        if (!value || value->empty()) {
            return fail(name + " needs a value");
        }
        if (path) {
            *path = *value;
            continue;
        }

        if (name == "--baud") {
            const auto baud = ParseCount(*value, 1, kMaxUnsigned);
            if (!baud || !SpeedFromBaud(static_cast<unsigned>(*baud))) {
                return fail("--baud: \"" + *value + "\" is not a baud rate of this system");
            }
            options.baudRate = static_cast<unsigned>(*baud);
            continue;
        }
        const bool positive =
            name == "--hangup-after" || name == "--exit-after-transfers" || name == "--count";
        const std::uint64_t min = positive ? 1 : 0;
        const std::uint64_t max = name == "--noise"   ? kMaxNoiseBytes
                                  : name == "--count" ? kMaxReaders
                                  : positive          ? kMaxCount
                                                      : kMaxUnsigned;
        const auto n = ParseCount(*value, min, max);
        if (!n) {
            return fail(name + ": \"" + *value + "\" is not a whole number from " +
                        std::to_string(min) + " to " + std::to_string(max));
        }
        if (name == "--noise") {
            options.faults.noiseBytes = static_cast<std::size_t>(*n);
        } else if (name == "--nak-first") {
            options.faults.nakFirst = static_cast<unsigned>(*n);
        } else if (name == "--bad-checksum-first") {
            options.faults.badChecksumFirst = static_cast<unsigned>(*n);
        } else if (name == "--lowercase-header-first") {
            options.faults.lowercaseHeaderFirst = static_cast<unsigned>(*n);
        } else if (name == "--hangup-after") {
            options.faults.hangupAfter = *n;
        } else if (name == "--count") {
            options.count = static_cast<unsigned>(*n);
        } else {
            options.exitAfterTransfers = *n;
        }
    }
    if (!options.usbPath.empty() && !options.wedgePath.empty()) {
        return fail("--usb and --wedge cannot be used together");
    }
    if (options.count == 0) {
        if (!options.linkDir.empty() || !readerSpecs.empty()) {
            return fail("--link-dir and --reader go with --count N");
        }
        return {options, {}};
    }
    if (options.linkDir.empty()) {
        return fail("--count needs --link-dir DIR, where the readers' links COM1 ... go");
    }
    if (!options.linkPath.empty() || !options.savePath.empty() || !options.usbPath.empty() ||
        !options.wedgePath.empty()) {
        return fail(
            "--count plays serial readers with links in --link-dir; --link, --save, "
            "--usb and --wedge play one reader");
    }
    options.readers.assign(options.count, SimReader{options.baudRate, options.faults});
    for (const std::string& spec : readerSpecs) {
        const auto colon = spec.find(':');
        const auto k = ParseCount(spec.substr(0, colon), 1, options.count);
        if (colon == std::string::npos || !k) {
            return fail("--reader \"" + spec + "\": give K:ITEM,... with K from 1 to " +
                        std::to_string(options.count));
        }
        std::size_t start = colon + 1;
        for (;;) {
            const auto comma = spec.find(',', start);
            const std::string item =
                spec.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            const std::string problem = ApplyReaderItem(item, options.readers[*k - 1]);
            if (!problem.empty()) {
                return fail("--reader \"" + spec + "\": " + problem);
            }
            if (comma == std::string::npos) {
                break;
            }
            start = comma + 1;
        }
    }
    return {options, {}};
}

std::string SimUsageText() {
    return R"(Usage: magtune-reader-sim [options]

Plays a card reader on the serial side of its programming protocol, on a
pseudo-terminal. The first line on standard output is the path of the
terminal device to open as the reader's COM port. Runs until SIGTERM, SIGINT
or SIGHUP, or until --exit-after-transfers is reached.

The reader answers the connect frame (02 1B 48 "65") with ACK (06), stores
the image of a correct download frame (02 1B 57, 512 hex digits, checksum)
and answers ACK, and answers an upload request (02 1B 52 "6F") with its image
(02 1B 52, 512 hex digits, checksum). Malformed frames and frames with a
wrong checksum get no answer. Bytes between frames are skipped; every STX ESC
starts a new frame.

It answers only while the other side of the line runs at the reader's own
rate: the rate set on the terminal (termios) is checked before every answer,
and a frame sent at another rate gets no answer at all.

Options:
  --baud N            the reader's baud rate (default 9600)
  --image FILE        start with the image in FILE (exactly 256 bytes)
                      instead of the default image
  --save FILE         write every image the reader accepts to FILE
                      (replaced atomically)
  --link PATH         also make a symbolic link PATH to the device, replacing
                      an existing link (never a file); removed on exit. To
                      map a COM port: --link "$MAGTUNE_PORTS_DIR/COM3"
  --pace              move bytes at the real speed of the line (10 bits per
                      byte at the reader's rate) in both directions.
  --exit-after-transfers N
                      exit after N transfers: downloads answered with ACK
                      and correct upload replies, once the PC side has read
                      the last answer (or after 1 s)
  --verbose           log every frame received and sent on standard error
  --version           print the version
  -h, --help          show this text

Faults on request:
  --noise N           send N junk bytes (never 02 or 06) before every answer
                      (at most 4096)
  --nak-first N       answer the first N correct download frames with NAK
                      (15) instead of ACK, without storing their image
  --bad-checksum-first N
                      the first N upload replies carry a wrong checksum
  --lowercase-header-first N
                      the first N upload replies are headed ESC "r" (their
                      checksum matches what is sent)
  --silent            never answer anything
  --hangup-after N    hang up the line when N bytes have been received (the
                      answer that byte completed, and any answer still being
                      paced out, is never sent), then exit

USB reader:
  --usb SOCKET        play a reader on USB instead: serve a simulated USB bus
                      at the local socket SOCKET (the first line on standard
                      output is SOCKET) for OruUsbHidCtrlSrv64, which uses it
                      when the environment variable MAGTUNE_USB_SIM names it.
                      The reader speaks the keyboard dialect: control codes
                      reach it while the download channel is entered (253,
                      until 254) and some device carries the filter; after
                      EC EC EC it types "O", a download frame is answered "Y"
                      (or "N" for a wrong check byte), an upload request with
                      the 514 digits. The typed keys go, one byte each, to
                      every program connected to the socket SOCKET.keys.
                      --save, --image, --exit-after-transfers, --verbose,
                      --noise (junk keys), --nak-first (answered "N"),
                      --bad-checksum-first, --silent and --hangup-after (the
                      reader leaves the bus) apply.
  --usb-device NAME   a device on the simulated bus, in bus order (repeat for
                      more; default: one "Tarvik USB Magnetic Stripe Reader");
                      all of them lead to the one reader
  --lowercase-digits  type upload replies in lower case

Keyboard wedge reader:
  --wedge SOCKET      play a reader on the keyboard port instead: listen at
                      the local socket SOCKET (the first line on standard
                      output is SOCKET), where zebapi plugs in its port when
                      the environment variable ZEBAPI_SIM_SOCKET names it.
                      The bytes zebapi sends into the port reach the reader,
                      which speaks the keyboard dialect as on USB; it types
                      its answers back as set-1 scan codes, the make code of
                      each key and then its break code (make code + 0x80).
                      Keys other than digits and letters (the noise) are
                      typed on punctuation keys. The options that apply to
                      the USB reader apply here too.

Many serial readers at once:
  --count N           play N readers (at most 64), each on a terminal of its own,
                      with the links DIR/COM1 ... DIR/COMN to them (point
                      MAGTUNE_PORTS_DIR at DIR to reach them as COM1 ...). One
                      line per reader goes to standard output, "COMk DEVICE",
                      once all links are in place. --baud, --pace, --image,
                      --verbose, --exit-after-transfers and the faults apply to
                      every reader; --reader sets one reader apart.
  --link-dir DIR      where the links go (needed with --count)
  --reader K:ITEM,... reader K (1 to N) differs from the others; ITEM is one of
                        silent             never answers
                        nak                answers every download with NAK
                        wrong-image        answers ACK but keeps another beep
                                           tone than it was sent
                        baud=N             runs at N baud
                        noise=N, nak-first=N, bad-checksum-first=N,
                        lowercase-header-first=N, hangup-after=N
                                           as the options of the same name
                      for example --reader 3:silent --reader 2:baud=2400,noise=5
  --wrong-image       (every reader) as the wrong-image item

Exit status: 0 on a normal end, 1 when the terminal cannot be set up,
2 for bad options or a bad --image file.
)";
}

}  // namespace magtune::readersim
