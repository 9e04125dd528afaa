#include "auth.h"
#include "routes.h"

namespace vx {

namespace {

void getMe(Ctx &c)
{
    auto s = c.db().prepare("SELECT id, username, surname, lastname FROM users WHERE id = ?");
    s.bind(1, c.userId);
    if (!s.step())
        fail(401, "the user of this session no longer exists");
    Json j;
    j["id"] = s.getInt("id");
    j["username"] = s.getText("username");
    j["surname"] = s.getText("surname");
    j["lastname"] = s.getText("lastname");
    c.reply(200, j);
}

void logout(Ctx &c)
{
    revokeToken(c.db(), c.app.tokens, c.token);
    c.reply(200, Json {{"logged_out", true}});
}

} // namespace

void addSessionRoutes(Router &r)
{
    r.add("GET", "me", getMe);
    r.add("GET", "me/logout", logout);
}

} // namespace vx
