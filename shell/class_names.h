// Names under the viewer's document class key, shared by the association
// step and the installed-file records.
#pragma once

// The class key's name and its own default value.
constexpr char kClassName[] = "MoraLUME_TOVA";
// What an associated extension names: the class, in another letter case.
constexpr char kAssociationValue[] = "MoraLume_TOVA";
constexpr char kOpenCommandKey[] = "MoraLUME_TOVA\\shell\\open\\command";
constexpr char kInstalledKey[] = "MoraLUME_TOVA\\installed";
