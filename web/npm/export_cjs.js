module.exports = { convert, toHtml, version };
