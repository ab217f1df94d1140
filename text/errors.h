// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's error kinds. Each carries the French message the user sees; handlers never catch
// them, the application object reports them (app/application.cpp).

#include <exception>
#include <string>
#include <string_view>

// Base of every error kind: a message, UTF-8.
class EError : public std::exception {
public:
    explicit EError(std::string message) : FMessage(std::move(message)) {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& message() const noexcept { return FMessage; }

private:
    std::string FMessage;
};

// A failure of the line reader, by the code of the original platform (see system_errors.h).
class EInOutError : public EError {
public:
    explicit EInOutError(int code);
    int code() const noexcept { return FCode; }
    static std::string messageFor(int code);

private:
    int FCode;
};

// "Impossible d'ouvrir le fichier "<full path>". <system text>"
class EFOpenError : public EError {
public:
    EFOpenError(const std::string& fullPath, const std::string& systemText);
};

// "Impossible de créer le fichier "<full path>". <system text>"
class EFCreateError : public EError {
public:
    EFCreateError(const std::string& fullPath, const std::string& systemText);
};

// "Erreur d'écriture dans le flux": the file took fewer bytes than given.
class EWriteError : public EError {
public:
    EWriteError();
};

// An operation refused in the current state, with its own message.
class EInvalidOperation : public EError {
public:
    using EError::EError;
};

// "Indice de liste hors limites (<index>)"
class EStringListError : public EError {
public:
    explicit EStringListError(long long index);
};

// "Mémoire insuffisante": what std::bad_alloc is reported as.
class EOutOfMemory : public EError {
public:
    EOutOfMemory();
};

// The text view's refusal of a text larger than its capacity.
inline constexpr const char* kMemoCapacityMessage = "Le texte dépasse la capacité du mémo";

// The file shown was rewritten after it was opened: its text is read from the file's pages.
inline constexpr const char* kSourceChangedMessage =
    "Le fichier affiché a été modifié depuis son ouverture : le texte montré peut ne plus lui "
    "correspondre. Ouvrez-le de nouveau pour le relire";

// A search stopped on a source that is not a regular file (a pipe, a device): it went on past
// maxBytes, or it sent nothing for waitMs milliseconds.
std::string EndlessSourceMessage(long long maxBytes);
std::string SilentSourceMessage(int waitMs);

// A selection larger than what is done with it takes in memory and time: copying it to the
// clipboard, or taking it as the search string. refusal says what is not done.
std::string SelectionTooLargeMessage(long long maxBytes, std::string_view refusal);
