#pragma once

#include "session/session.h"

namespace tavrin {

// Sets the session's activity for as long as it lives and puts the previous one back.
// Scopes nest: the hang-up inside the connection flow or the close sequence returns to
// it. When the session is idle again, a close that arrived meanwhile is brought back.
class Session::ActivityScope {
public:
    ActivityScope(Session &session, Activity activity);
    ~ActivityScope();
    ActivityScope(const ActivityScope &) = delete;
    ActivityScope &operator=(const ActivityScope &) = delete;
    // The scope ends in activity instead of the previous one (the close sequence ends
    // in Closed, never passing through Idle).
    void endIn(Activity activity) { m_previous = activity; }

private:
    Session &m_session;
    Activity m_previous;
};

} // namespace tavrin
