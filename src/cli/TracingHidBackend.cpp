#include "cli/TracingHidBackend.h"

#include <utility>

namespace kelvadeck {

namespace {

class TracingHidDevice : public HidDevice {
public:
    TracingHidDevice(std::unique_ptr<HidDevice> inner, std::shared_ptr<TracingHidBackend::State> state)
        : m_inner(std::move(inner)), m_state(std::move(state)) {}

    bool Write(const Report& report) override {
        ++m_state->exchanges;
        *m_state->out << "> " << TracingHidBackend::Hex(report) << "\n";
        return m_inner->Write(report);
    }

    ReadResult Read(int timeoutMs) override {
        ReadResult r = m_inner->Read(timeoutMs);
        if (r.status == ReadStatus::Report) *m_state->out << "< " << TracingHidBackend::Hex(r.report) << "\n";
        return r;
    }

    int64_t NowMicros() const override { return m_inner->NowMicros(); }

private:
    std::unique_ptr<HidDevice> m_inner;
    std::shared_ptr<TracingHidBackend::State> m_state;
};

}  // namespace

TracingHidBackend::TracingHidBackend(std::shared_ptr<HidBackend> inner, std::ostream& out)
    : m_inner(std::move(inner)), m_state(std::make_shared<State>()) {
    m_state->out = &out;
}

std::vector<HidBackend::HidInterfaceInfo> TracingHidBackend::Enumerate(uint16_t vendorId, uint16_t productId) {
    return m_inner->Enumerate(vendorId, productId);
}

std::unique_ptr<HidDevice> TracingHidBackend::Open(const std::string& path) {
    std::unique_ptr<HidDevice> device = m_inner->Open(path);
    if (!device) return nullptr;
    return std::make_unique<TracingHidDevice>(std::move(device), m_state);
}

std::string TracingHidBackend::LastError() const { return m_inner->LastError(); }

std::string TracingHidBackend::Hex(const HidDevice::Report& report) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    out.reserve(report.size() * 3);
    for (size_t i = 0; i < report.size(); ++i) {
        if (i > 0) out.push_back(' ');
        out.push_back(digits[report[i] >> 4]);
        out.push_back(digits[report[i] & 0x0F]);
    }
    return out;
}

}  // namespace kelvadeck
