// Every test of this program keeps its settings in a temporary folder, never in the user's.
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

class TemporaryConfigHome : public ::testing::Environment {
public:
    void SetUp() override {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_dir->filePath(QStringLiteral("config")).toLocal8Bit());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           m_dir->filePath(QStringLiteral("config")));
        QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope,
                           m_dir->filePath(QStringLiteral("system")));
    }
    void TearDown() override { m_dir.reset(); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

[[maybe_unused]] const auto* const kConfigHome = ::testing::AddGlobalTestEnvironment(new TemporaryConfigHome);

} // namespace
