export { convert, toHtml, version };
