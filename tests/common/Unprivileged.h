#pragma once

// Tests of what happens when a file cannot be written must hold even when the tests run as root,
// who may write any file: the check then runs in a child process that has taken the user nobody.

#include <QFile>
#include <QString>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <vector>

namespace tavlex::test {

inline constexpr uid_t kNobody = 65534;

// Runs check in a child process that cannot override file permissions and returns its result
// (0 for success), or -1 when the child did not end normally. As root, the paths are first
// handed to the user nobody and the child becomes that user; otherwise the child runs as the
// caller. check must not use GoogleTest assertions: they would not reach the parent.
inline int RunWithoutPrivilege(const std::vector<QString>& paths,
                               const std::function<int()>& check) {
    const bool root = ::geteuid() == 0;
    if (root) {
        for (const QString& path : paths) {
            if (::chown(QFile::encodeName(path).constData(), kNobody, kNobody) != 0) return -1;
        }
    }
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
                     ::setuid(kNobody) != 0 || ::setuid(0) == 0)) {
            ::_exit(100);  // still privileged: the check would prove nothing
        }
        ::_exit(check());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace tavlex::test
