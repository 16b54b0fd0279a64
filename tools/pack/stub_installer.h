// A finished installer from a stub (setup.exe built without a payload) and
// payload resource bytes: resource 512/301 and its checksum 512/302, both in
// language 1033, are added to the stub's resource tree, which is rebuilt in
// place; the base relocations that follow it move up, and the section table,
// SizeOfImage, the resource data directory and the PE checksum are set to
// match. Nothing else changes.
#pragma once

#include <string>

// A stub is recognised by the module name of its export directory.
constexpr char kStubModuleName[] = "tova.ent";
constexpr unsigned kPayloadLanguage = 1033;

// False, with a reason naming the problem, for anything that cannot be
// changed safely: not a PE, not one of our stubs, a signed file, data after
// the last section, resources that are not the last section but for the
// relocations, or a payload or its checksum already present while `replace`
// is false (with it, both are replaced). The checksum resource records
// `codePage`, the ANSI code page of the names.
bool BuildInstallerFromStub(const std::string &stub, const std::string &payloadResource, bool replace, unsigned codePage,
                            std::string &installer, std::string &error);

// The stub's export module name, or "" when it has none that can be read.
std::string ExportModuleName(const std::string &bytes);
