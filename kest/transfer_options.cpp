#include "kest/transfer_options.h"

#include <iostream>

#include "kest/command.h"
#include "kest/interrupt.h"
#include "link/tracing_port.h"

namespace kest::cli {

std::optional<TransferSetup> transfer_setup(const char* command, const ParsedArgs& args) {
    TransferSetup s;
    auto port = args.value("port");
    if (!port || port->empty()) {
        usage_error(command, "--port DEVICE is required");
        return std::nullopt;
    }
    s.port = *port;
    if (auto baud = args.value("baud")) {
        auto n = parse_number(*baud);
        auto index = n ? rate_index(static_cast<std::uint32_t>(*n)) : std::nullopt;
        if (!index) {
            usage_error(command, "--baud must be one of 115200, 57600, 38400, 19200, 9600");
            return std::nullopt;
        }
        s.rateIndex = *index;
    }
    if (auto retries = args.value("retries")) {
        auto n = parse_number(*retries);
        if (!n) {
            usage_error(command, "--retries needs a number");
            return std::nullopt;
        }
        s.retries = static_cast<int>(*n);
    }
    s.cradle = args.flag("cradle");
    s.device = make_serial_port();
    SerialPort* used = s.device.get();
    if (args.flag("trace")) {
        s.tracer = std::make_unique<TracingPort>(*s.device, system_clock(), std::cerr);
        used = s.tracer.get();
    }
    s.link = std::make_unique<Link>(*used, system_clock());
    s.link->set_stop_flag(stop_at_next_packet());
    return s;
}

}  // namespace kest::cli
