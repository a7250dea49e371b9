#pragma once

// Creates the windows of the program in their fixed order: TZapusk, TForm1,
// TStolbItogo, TTema, TProcent, TGurnaliForm, TParoli1. They live until
// destroyWindows(); closing any but the login window only hides it.
void createWindows();
void destroyWindows();
