#pragma once
// The register of the clients.
#include "PersonRegister.h"

namespace kv {

class J_clients : public PersonRegister {
    Q_OBJECT
public:
    explicit J_clients(Session& session, QWidget* parent = nullptr)
        : PersonRegister(session, people::PersonKind::clients(), parent) {}
};

} // namespace kv
