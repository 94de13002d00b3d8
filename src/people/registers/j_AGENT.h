#pragma once
// The register of the agents.
#include "PersonRegister.h"

namespace kv {

class j_AGENT : public PersonRegister {
    Q_OBJECT
public:
    explicit j_AGENT(Session& session, QWidget* parent = nullptr)
        : PersonRegister(session, people::PersonKind::agents(), parent) {}
};

} // namespace kv
