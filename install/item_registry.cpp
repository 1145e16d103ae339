// The registry operations: one value per operation, and the database engine's settings.
#include <type_traits>

#include "install/dbengine.h"
#include "install/install_item.h"
#include "install/install_messages.h"
#include "install/install_record.h"
#include "install/registry.h"
#include "install/run_observer.h"

namespace install {

bool TInstallItem::WriteRegValue(platform::RegRoot RootKey, const std::string& KeyPath,
                                 const std::string& ValueName, const TRegVariant& Value) {
  // One accessor for every attempt; each attempt opens the key again from the root.
  TRegistry reg;
  InstallRecord* record = Record();
  reg.OnWrite = [this, record](const std::string& key, const std::string& name,
                               platform::RegType type, const std::vector<uint8_t>& data, bool ok,
                               const std::string& reason) {
    Observer().RegistryValueWritten(key, name, type, data, ok, reason);
    // The value written goes into the installation's record; `key` is the key's full name.
    const std::size_t cut = key.find('\\');
    platform::RegRoot root;
    if (record && ok && cut != std::string::npos &&
        platform::RootFromName(key.substr(0, cut), root))
      record->ValueWritten(root, key.substr(cut + 1), name);
  };
  return Operate(msg::kUpdatingRegistry, msg::kRegistryError, [&]() -> TAttempt {
    return [&](std::string& cause) {
      reg.SetRootKey(RootKey);
      // The keys on the way that are not there yet are made by the open below; they are
      // recorded before, outermost first (a key recorded and never made is no harm to
      // the uninstall, a key made and never recorded would stay).
      const std::string path = KeyPath.rfind("\\", 0) == 0 ? KeyPath.substr(1) : KeyPath;
      if (record)
        for (std::size_t i = 0; i <= path.size(); ++i)
          if ((i == path.size() || path[i] == '\\') && i > 0 &&
              !platform::RegistryPort().Open(RootKey, path.substr(0, i)))
            record->KeyMade(RootKey, path.substr(0, i));
      // With no key open, KeyPath is taken from the root, with or without a leading
      // `\`. A key that cannot be opened shows as the write failing.
      reg.OpenKey(KeyPath, true);
      try {
        std::visit(
            [&](const auto& v) {
              using T = std::decay_t<decltype(v)>;
              if constexpr (std::is_same_v<T, int32_t>)
                reg.WriteInteger(ValueName, v);
              else if constexpr (std::is_same_v<T, double>)
                reg.WriteFloat(ValueName, v);
              else if constexpr (std::is_same_v<T, bool>)
                reg.WriteBool(ValueName, v);
              else if constexpr (std::is_same_v<T, std::string>)
                reg.WriteString(ValueName, v);
              // Any other kind of value writes nothing.
            },
            Value);
      } catch (const ERegistryException& e) {
        cause = std::string(platform::RootName(RootKey)) + "\\" +
                (KeyPath.rfind("\\", 0) == 0 ? KeyPath.substr(1) : KeyPath) + ": " +
                platform::Describe(e);
        return false;
      }
      return true;
    };
  });
}

bool TInstallItem::WriteRegString(platform::RegRoot RootKey, const std::string& KeyPath,
                                  const std::string& ValueName, const std::string& Value) {
  return WriteRegValue(RootKey, KeyPath, ValueName, TRegVariant(Value));
}

namespace {

struct Setting {
  const char* key;
  const char* name;
  std::string value;
};

}  // namespace

// Writes the settings in order, each only after the one before succeeded.
static bool WriteSettings(TInstallItem& item, const std::vector<Setting>& rows) {
  for (const Setting& row : rows)
    if (!item.WriteRegString(platform::RegRoot::LocalMachine, row.key, row.name, row.value))
      return false;
  return true;
}

bool TInstallItem::ConfigureEngine(const std::string& DllPath, const std::string& OlapiPath) {
  return WriteSettings(*this, {
                                  {kDatabaseEngineKey, "DLLPATH", DllPath},
                                  {kDatabaseEngineKey, "RESOURCE", "0009"},
                                  {kOlw32Key, "OLAPIPATH", OlapiPath},
                              });
}

bool TInstallItem::ConfigureTabula(bool LocalShare, const std::string& LangDriver) {
  static const char* const kLocalShare[2] = {"FALSE", "TRUE"};
  return WriteSettings(*this, {
                                  {kTabulaInitKey, "VERSION", "4.0"},
                                  {kTabulaInitKey, "TYPE", "FILE"},
                                  {kTabulaInitKey, "LANGDRIVER", LangDriver},
                                  {kTabulaTableCreateKey, "LEVEL", "7"},
                                  {kTabulaTableCreateKey, "BLOCK SIZE", "2048"},
                                  {kTabulaTableCreateKey, "FILL FACTOR", "95"},
                                  {kTabulaTableCreateKey, "STRICTINTEGRTY", "TRUE"},
                                  {kSystemInitKey, "LOCAL SHARE", kLocalShare[LocalShare ? 1 : 0]},
                              });
}

}  // namespace install
