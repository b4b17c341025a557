#include "hid/HidapiBackend.h"

#include <hidapi.h>

#include "hid/HidapiDevice.h"
#include "hid/HidapiLibrary.h"
#include "base/ExclusiveUse.h"
#include "hid/HidapiOpenError.h"
#include "model/TextConvert.h"

namespace kelvadeck {

namespace {

struct EnumerationFree {
    void operator()(hid_device_info* list) const {
        if (list != nullptr) hid_free_enumeration(list);
    }
};
using Enumeration = std::unique_ptr<hid_device_info, EnumerationFree>;

}  // namespace

HidapiBackend::HidapiBackend() : m_library(std::make_shared<HidapiLibrary>()) {
    if (!m_library->IsReady()) m_lastError = "The HID library could not be set up: " + m_library->InitError();
}

HidapiBackend::~HidapiBackend() = default;

std::vector<HidBackend::HidInterfaceInfo> HidapiBackend::Enumerate(uint16_t vendorId, uint16_t productId) {
    std::vector<HidInterfaceInfo> found;
    if (!m_library->IsReady()) return found;
    // Null means no device or an error; either way there is nothing to list.
    const Enumeration list(hid_enumerate(vendorId, productId));
    for (const hid_device_info* info = list.get(); info != nullptr; info = info->next) {
        HidInterfaceInfo copy;
        copy.path = info->path != nullptr ? info->path : "";
        copy.vendorId = info->vendor_id;
        copy.productId = info->product_id;
        copy.usagePage = info->usage_page;
        copy.usage = info->usage;
        copy.interfaceNumber = info->interface_number;
        copy.serialNumber = TextConvert::WideToUtf8(info->serial_number);
        if (!copy.path.empty()) found.push_back(std::move(copy));
    }
    return found;
}

std::unique_ptr<HidDevice> HidapiBackend::Open(const std::string& path) {
    if (!m_library->IsReady()) {
        m_lastError = "The HID library could not be set up: " + m_library->InitError();
        return nullptr;
    }
    ExclusiveUse use;
    ExclusiveUse::Holder holder;
    m_heldElsewhere = !use.Take(path, holder);
    if (m_heldElsewhere) {
        m_lastError = "The Kelvadeck at " + path + " is in use by " + ExclusiveUse::Describe(holder) +
                      ": only one program can talk to it at a time. Close that program (or stop its follow-focus) "
                      "and this one takes the device over.";
        return nullptr;
    }
    HidapiDevice::Handle handle(hid_open_path(path.c_str()));
    if (!handle) {
        const std::string reason = TextConvert::WideToUtf8(hid_error(nullptr));
        const HidapiOpenError::Node node = HidapiOpenError::Probe(path);
        m_lastError = HidapiOpenError::Describe(path, node, reason,
                                                node == HidapiOpenError::Node::NotAccessible ? HidapiOpenError::FindInstalledRule()
                                                                                             : std::nullopt);
        return nullptr;
    }
    m_lastError.clear();
    return std::make_unique<HidapiDevice>(m_library, std::move(handle), std::move(use));
}

}  // namespace kelvadeck
