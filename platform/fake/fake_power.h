#pragma once

#include <vector>

#include "platform/power.h"

namespace velmora::platform {

// Records every request in order, and accepts them all unless told to refuse.
class FakePower final : public Power {
public:
    struct Request {
        PowerRequest request;
        bool interactive;
        bool operator==(const Request&) const = default;
    };

    bool request(PowerRequest request, bool interactive) override {
        m_requests.push_back({request, interactive});
        return !m_refusing;
    }

    const std::vector<Request>& requests() const { return m_requests; }
    void setRefusing(bool refusing) { m_refusing = refusing; }

private:
    std::vector<Request> m_requests;
    bool m_refusing = false;
};

}  // namespace velmora::platform
