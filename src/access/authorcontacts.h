#pragma once

// How the program's author is reached: from the login window and the "Сервис" menu.
namespace AuthorContacts {
inline const char *const kSite = "https://zhurnal.example.org/";
// The web form for a letter to the author.
inline const char *const kMailForm = "https://zhurnal.example.org/sendmail/form.php";
inline const char *const kMail = "avtor@zhurnal.example.org";
// The mail button's caption: the credit line with the contact data.
inline const char16_t *const kCredit = u"Программа учителя информатики, сайт zhurnal.example.org\n"
                                       u"Письмо автору: avtor@zhurnal.example.org";
// The body of a new letter.
inline const char16_t *const kGreeting = u"Здравствуйте, уважаемый автор!\n\n";
} // namespace AuthorContacts
