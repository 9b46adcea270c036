#pragma once
// The lab link's settings dialog: broker, port, TLS with a CA file, login, topic prefix, and a
// button that tries the connection and says how it went. OK writes the settings file.

#include "lablink/link_settings.h"

#include <QDialog>

#include <memory>

namespace Ui {
class LabLinkDialog;
}
class QThread;

namespace lablink {

class LabLinkDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LabLinkDialog(const LinkSettings &settings, QWidget *parent = nullptr);
    ~LabLinkDialog() override;

    LinkSettings settings() const;

    static constexpr int kTestTimeoutMs = 5000;

public slots:
    void accept() override;

private:
    void testConnection();
    void browseCaFile();
    void followTls(bool tls);

    std::unique_ptr<Ui::LabLinkDialog> ui;
    LinkSettings m_shown; // what the dialog has no control for is kept as it was
    QThread *m_test = nullptr;
};

} // namespace lablink
