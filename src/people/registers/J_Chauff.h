#pragma once
// The register of the drivers.
#include "PersonRegister.h"

namespace kv {

class J_Chauff : public PersonRegister {
    Q_OBJECT
public:
    explicit J_Chauff(Session& session, QWidget* parent = nullptr)
        : PersonRegister(session, people::PersonKind::drivers(), parent) {}
};

} // namespace kv
