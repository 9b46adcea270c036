#include "lablink/link_texts.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace lablink {

namespace {

const char kContext[] = "lablink::LinkTexts";

// A wording of the session or the publisher and the catalogue text it becomes; %n stands for the
// n-th captured part, which is itself a reason when `reasons` has bit n-1 set.
struct Wording
{
    const char *pattern;
    const char *text;
    unsigned reasons;
};

const Wording kReasons[] = {
    {"broker host name not found",
     QT_TRANSLATE_NOOP("lablink::LinkTexts", "找不到代理服务器的主机名"), 0},
    {"connection refused", QT_TRANSLATE_NOOP("lablink::LinkTexts", "连接被拒绝"), 0},
    {"no answer from the broker", QT_TRANSLATE_NOOP("lablink::LinkTexts", "代理服务器没有应答"), 0},
    {"no broker host set", QT_TRANSLATE_NOOP("lablink::LinkTexts", "未设置代理服务器主机"), 0},
    {"out of memory", QT_TRANSLATE_NOOP("lablink::LinkTexts", "内存不足"), 0},
    {"TLS failure", QT_TRANSLATE_NOOP("lablink::LinkTexts", "TLS 失败"), 0},
    {"TLS failure: (.+)", QT_TRANSLATE_NOOP("lablink::LinkTexts", "TLS 失败: %1"), 0},
    {"connection lost: (.+)", QT_TRANSLATE_NOOP("lablink::LinkTexts", "连接中断: %1"), 0},
    {"CA file cannot be read: (.*)",
     QT_TRANSLATE_NOOP("lablink::LinkTexts", "无法读取 CA 文件: %1"), 0},
    {"the broker refused: (.+)", QT_TRANSLATE_NOOP("lablink::LinkTexts", "代理服务器拒绝: %1"), 1},
    // The broker's answers, as the library words them.
    {"connection refused: (.+)\\.", "%1", 1},
    {"unacceptable protocol version", QT_TRANSLATE_NOOP("lablink::LinkTexts", "协议版本不被接受"),
     0},
    {"identifier rejected", QT_TRANSLATE_NOOP("lablink::LinkTexts", "客户端标识被拒绝"), 0},
    {"broker unavailable", QT_TRANSLATE_NOOP("lablink::LinkTexts", "代理服务器不可用"), 0},
    {"bad user name or password", QT_TRANSLATE_NOOP("lablink::LinkTexts", "用户名或密码错误"), 0},
    {"not authori[sz]ed", QT_TRANSLATE_NOOP("lablink::LinkTexts", "未授权"), 0},
    {"unknown reason", QT_TRANSLATE_NOOP("lablink::LinkTexts", "原因不明"), 0},
};

const Wording kStatuses[] = {
    {"connecting to (.+)", QT_TRANSLATE_NOOP("lablink::LinkTexts", "正在连接 %1"), 0},
    {"connected to (.+)", QT_TRANSLATE_NOOP("lablink::LinkTexts", "已连接 %1"), 0},
    {"stopped", QT_TRANSLATE_NOOP("lablink::LinkTexts", "已停止"), 0},
    {"(\\S+): (.+); retrying in (\\d+) s",
     QT_TRANSLATE_NOOP("lablink::LinkTexts", "%1: %2; %3 秒后重试"), 2},
    {"((?:mqtts?)://\\S+): (.+)", "%1: %2", 2},
};

template <size_t N> QString reword(const QString &text, const Wording (&table)[N])
{
    for (const Wording &w : table) {
        const QRegularExpression re(QRegularExpression::anchoredPattern(w.pattern),
                                    QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = re.match(text);
        if (!m.hasMatch())
            continue;
        // One pass over the wording: a part that holds a '%' stays as it is.
        const QString wording = QCoreApplication::translate(kContext, w.text);
        QString result;
        for (int i = 0; i < wording.size(); ++i) {
            const int n = i + 1 < wording.size() ? wording[i + 1].digitValue() : -1;
            if (wording[i] != '%' || n < 1 || n > re.captureCount()) {
                result += wording[i];
                continue;
            }
            const QString part = m.captured(n);
            result += w.reasons & (1u << (n - 1)) ? reasonText(part) : part;
            ++i;
        }
        return result;
    }
    return text;
}

} // namespace

QString reasonText(const QString &reason)
{
    return reword(reason, kReasons);
}

QString statusText(const QString &status)
{
    return reword(status, kStatuses);
}

} // namespace lablink
