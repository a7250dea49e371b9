#pragma once

// How the login window reaches the program's author.
namespace AuthorContacts {
inline const char *const kSite = "https://zhurnal.example.org/";
inline const char *const kMail = "avtor@zhurnal.example.org";
// The mail button's caption: the credit line with the contact data.
inline const char16_t *const kCredit = u"Программа учителя информатики, сайт zhurnal.example.org\n"
                                       u"Письмо автору: avtor@zhurnal.example.org";
// The body of a new letter.
inline const char16_t *const kGreeting = u"Здравствуйте, уважаемый автор!\n\n";
} // namespace AuthorContacts
