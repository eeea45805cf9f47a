// The keyring itself, through libsecret: built as the module vyx-keyring, so
// that libsecret and what it pulls in (GLib, GIO, D-Bus, libgcrypt) are
// loaded only by the commands that keep or take back a password.
#include <libsecret/secret.h>

#include "platform/CPKeyring.h"

namespace {

// Every password of vyx carries the attribute application=vyx, so that the
// keyring's tools (seahorse, secret-tool) show whose it is.
const SecretSchema* Schema() {
  static const SecretSchema schema = {
      "fr.vyx.MotDePasse",
      SECRET_SCHEMA_NONE,
      {{"application", SECRET_SCHEMA_ATTRIBUTE_STRING},
       {"script", SECRET_SCHEMA_ATTRIBUTE_STRING},
       {"identifiant", SECRET_SCHEMA_ATTRIBUTE_STRING},
       {"parametre", SECRET_SCHEMA_ATTRIBUTE_STRING},
       {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
      0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
  return &schema;
}

// The attributes of `key`; with `partial`, an empty member is left out so
// that it matches any value.
GHashTable* Attributes(const CPKeyringKey& key, bool partial) {
  GHashTable* attributes = g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free);
  auto add = [&](const char* name, const std::string& value) {
    if (partial && value.empty()) return;
    g_hash_table_insert(attributes, g_strdup(name), g_strdup(value.c_str()));
  };
  add("application", "vyx");
  add("script", key.script);
  add("identifiant", key.login);
  add("parametre", key.parameter);
  return attributes;
}

bool Failed(GError* error, std::string* why) {
  if (!error) return false;
  *why = error->message ? error->message : "";
  g_error_free(error);
  return true;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) bool vyx_keyring_find(const CPKeyringKey& key, std::string* secret,
                                                              bool* found, std::string* why) {
  GError* error = nullptr;
  GHashTable* attributes = Attributes(key, false);
  gchar* value = secret_password_lookupv_sync(Schema(), attributes, nullptr, &error);
  g_hash_table_unref(attributes);
  if (Failed(error, why)) return false;
  *found = value != nullptr;
  if (value) {
    secret->assign(value);
    secret_password_free(value);  // wipes the copy it made
  }
  return true;
}

__attribute__((visibility("default"))) bool vyx_keyring_store(const CPKeyringKey& key, const std::string& label,
                                                               const std::string& secret, std::string* why) {
  GError* error = nullptr;
  GHashTable* attributes = Attributes(key, false);
  gboolean stored = secret_password_storev_sync(Schema(), attributes, SECRET_COLLECTION_DEFAULT, label.c_str(),
                                                secret.c_str(), nullptr, &error);
  g_hash_table_unref(attributes);
  if (Failed(error, why)) return false;
  if (!stored) *why = "secret_password_store";
  return stored;
}

__attribute__((visibility("default"))) bool vyx_keyring_forget(const CPKeyringKey& key, bool* removed,
                                                                std::string* why) {
  GError* error = nullptr;
  GHashTable* attributes = Attributes(key, true);
  gboolean any = secret_password_clearv_sync(Schema(), attributes, nullptr, &error);
  g_hash_table_unref(attributes);
  if (Failed(error, why)) return false;
  *removed = any;
  return true;
}

}  // extern "C"
